// The reversible disguise under which the cloud password is kept in the
// configuration file. It hides the text from a casual look; it is not encryption.
#pragma once

#include <QString>

namespace limsbridge {

//! Clear password -> stored text ("|~", two random characters, the disguised
//! body, three random characters). Raises error 5 for a character that cannot
//! be disguised.
QString ScramblePassword(const QString& password);

//! Stored text -> clear password; the empty text gives the empty text. Raises
//! error 5 for a stored text that cannot be read back.
QString UnscramblePassword(const QString& stored);

} // namespace limsbridge
