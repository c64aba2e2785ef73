// The question asked before a password-protected configuration is saved: the
// configuration password dialog of interactive mode, behind an interface so
// that the layers below the user interface can ask it.
#pragma once

namespace limsbridge {

class ConfigPasswordPrompt {
public:
    virtual ~ConfigPasswordPrompt() = default;
    //! Shows the dialog modally; true when the user gave the right password,
    //! false when the dialog was cancelled.
    virtual bool askConfigPassword() = 0;
};

//! Installs the dialog (null: none). Without one nobody can give the password,
//! so a protected configuration is treated as cancelled and not saved.
void setConfigPasswordPrompt(ConfigPasswordPrompt* prompt);
ConfigPasswordPrompt* configPasswordPrompt();

} // namespace limsbridge
