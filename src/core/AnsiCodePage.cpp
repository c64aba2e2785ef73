#include "AnsiCodePage.h"

#include <array>

namespace limsbridge::Ansi {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same
// number, as Windows itself converts them, so that scrambled passwords and
// other arbitrary bytes come back unchanged.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

} // namespace

namespace Internal {

unsigned char fromUnicodeSlow(char16_t unit)
{
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit)
            return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

} // namespace Internal

QByteArray fromUnicode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text)
        *out++ = static_cast<char>(fromUnicode(c.unicode()));
    return bytes;
}

char16_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

QString toUnicode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes)
        *out++ = QChar(toUnicode(static_cast<unsigned char>(b)));
    return text;
}

} // namespace limsbridge::Ansi
