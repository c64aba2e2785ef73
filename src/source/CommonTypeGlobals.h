// Settings shared by the matcher and the write rules: the comment writer and
// case-insensitive matching switches, and the registration of their keys.
#pragma once

namespace limsbridge {

class QORConfiguration;

//! Write results that cannot be stored as values, and text that comes with a
//! value, as comments. Switched on at startup.
extern bool CommentWriterEnabled;

//! Registers the unit-conversion keys and the two matching switches of the target side.
void RegisterMatchingDefaults(QORConfiguration& config);

} // namespace limsbridge
