#include "SaveConfiguration.h"

#include "core/ActivityLog.h"
#include "core/ConfigPasswordPrompt.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "platform/RaisedError.h"

namespace limsbridge {

bool SaveConfigurationIfChanged() {
    if (!Config || !Config->ChangeWasMade())
        return true;
    try {
        Config->setEncryptData(Config->item("OPTIONS\\ENCRYPT_PROTECT_CONFIG").toUpper() == "YES");
        if (Config->item("OPTIONS\\PASSWORD_PROTECT_CONFIG") == "YES") {
            // Without a dialog (service mode, tests) nobody can give the
            // password: the protection holds, as if the dialog were cancelled.
            ConfigPasswordPrompt* prompt = configPasswordPrompt();
            if (!prompt || !prompt->askConfigPassword())
                return false;
        }
    } catch (const RaisedError&) {
        // An undefined key: the store was not set up, so there is nothing to save it with.
        return false;
    }
    if (!Config->SaveConfig())
        return false;
    LogActivity("Configuration saved to " + Config->path(), 0);
    return true;
}

} // namespace limsbridge
