// Opens a help page with the desktop's handler for its file type. Works only
// in a process with a display (a QGuiApplication); elsewhere it does nothing.
#pragma once

#include <QString>

namespace limsbridge {

//! Opens the local file; false when there is no display or the desktop refused.
bool OpenHelpPage(const QString& filePath);

} // namespace limsbridge
