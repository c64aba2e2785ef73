// What the program knows about itself: its home folder, executable name,
// command line and help file. The home is the executable's folder unless the
// environment variable LIMSBRIDGE_HOME names another one.
#pragma once

#include <QString>

namespace limsbridge::App {

//! The application home, without a trailing "/".
QString Path();
//! The executable's name without extension ("limsbridge").
QString EXEName();
//! The command line after the program name, its arguments joined by blanks.
QString CommandLine();
void setCommandLine(const QString& commandLine);
QString HelpFile();
void setHelpFile(const QString& helpFile);
//! Overrides the home folder (tests); an empty text restores the default.
void setPath(const QString& path);

} // namespace limsbridge::App
