// Settings shared by the matcher and the write rules: the comment writer and
// case-insensitive matching switches, and the registration of their keys.
#pragma once

#include <QString>

namespace limsbridge {

class QORConfiguration;

//! Write results that cannot be stored as values, and text that comes with a
//! value, as comments. Switched on at startup.
extern bool CommentWriterEnabled;

//! Registers the unit-conversion keys and the two matching switches of the target side.
void RegisterMatchingDefaults(QORConfiguration& config);

//! True only when "TARGET\IGNORECASEDURINGMATCH\ENABLED" in the global
//! configuration is exactly "TRUE"; false on any error or without a configuration.
bool IgnoreCaseEnabled();

//! The source connection string of the current configuration, with "###" in
//! place of the password when mask is true; empty text when it cannot be built.
QString SourceConnectionString(bool mask);

} // namespace limsbridge
