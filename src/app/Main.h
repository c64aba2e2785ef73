// The startup sequence of the program and its two run modes.
#pragma once

#include <QString>

namespace limsbridge {

//! True when the command line selects service mode: the whole line, upper-cased, is "NTSERVICE".
bool IsServiceCommandLine(const QString& commandLine);

//! Runs the startup sequence and starts the chosen mode. False when the program
//! must end at once (its configuration could not be read).
bool Main(const QString& commandLine);

void StartInteractiveMode();
void StartServiceMode();

//! The interactive window's caption.
QString InteractiveCaption();

//! Ends the process's event loop; in service mode only once no scheduled
//! import is running, so that a run in progress finishes its writes.
void RequestEnd(int signal);

//! Closes the log and releases the process-wide objects (at the end of the process).
void ShutdownProcessObjects();

} // namespace limsbridge
