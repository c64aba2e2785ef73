// Conversion between text and the program's single-byte ("ANSI") code page,
// Windows-1252. Hash codes, CSV files and password scrambling all work on
// these bytes, so every byte value 0..255 must survive a round trip and a
// character the code page cannot hold becomes '?', one byte per character.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace limsbridge::Ansi {

//! The Windows-1252 byte of one UTF-16 code unit; '?' when it has none.
//! Inline because the hash table calls it for every character of every key.
inline unsigned char fromUnicode(char16_t unit);

//! The text as Windows-1252 bytes; the result has exactly one byte per UTF-16
//! code unit of the text.
QByteArray fromUnicode(QStringView text);

//! The character a Windows-1252 byte stands for.
char16_t toUnicode(unsigned char byte);

//! The bytes as text, one character per byte.
QString toUnicode(QByteArrayView bytes);

namespace Internal {
//! The byte of a code unit above U+00FF or in the C1 range U+0080..U+009F.
unsigned char fromUnicodeSlow(char16_t unit);
} // namespace Internal

inline unsigned char fromUnicode(char16_t unit)
{
    // ASCII and the Latin-1 letters U+00A0..U+00FF are the same bytes in
    // Windows-1252; only the rest needs the table.
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<unsigned char>(unit);
    return Internal::fromUnicodeSlow(unit);
}

} // namespace limsbridge::Ansi
