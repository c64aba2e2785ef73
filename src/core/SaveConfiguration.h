// Saving the configuration file after dialogs or the main window changed keys.
#pragma once

namespace limsbridge {

//! True when nothing changed or the file was saved ("Configuration saved to …"
//! as an activity line); false when saving failed or the configuration password
//! was not given (through ConfigPasswordPrompt).
bool SaveConfigurationIfChanged();

} // namespace limsbridge
