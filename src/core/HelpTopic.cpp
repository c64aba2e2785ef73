#include "HelpTopic.h"

#include "core/AppInfo.h"
#include "platform/HelpOpener.h"

#include <exception>

namespace limsbridge {

void SetHelpFile() {
    QString folder = App::Path().trimmed();
    if (!folder.endsWith('/'))
        folder += '/';
    // The help is a folder of <topic>.html pages rather than one compiled file.
    App::setHelpFile(folder + "help");
}

QString HelpTopicPage(const QString& topic) {
    return App::HelpFile() + "/" + topic + ".html";
}

void ShowHelpTopic(const QString& topic) {
    // A missing page or browser must never disturb the caller.
    try {
        OpenHelpPage(HelpTopicPage(topic));
    } catch (...) {
    }
}

} // namespace limsbridge
