#include "PasswordScrambler.h"

#include "core/AnsiCodePage.h"
#include "platform/RaisedError.h"

#include <QRandomGenerator>

namespace limsbridge {

namespace {

[[noreturn]] void invalidArgument()
{
    throw RaisedError(5, QStringLiteral("Invalid procedure call or argument"));
}

} // namespace

QString ScramblePassword(const QString& password)
{
    const QByteArray clear = Ansi::fromUnicode(password);
    const qsizetype length = clear.size();
    QByteArray body;
    body.reserve(length);
    for (qsizetype n = length; n >= 1; --n) {
        const int code = static_cast<unsigned char>(clear[n - 1]) - 2 - int(n);
        if (code < 0)
            invalidArgument();
        body += char(code);
    }
    auto randomCharacter = [] { return char(int(QRandomGenerator::global()->generateDouble() * 128) + 1); };
    QByteArray stored = "|~";
    stored += randomCharacter();
    stored += randomCharacter();
    stored += body;
    for (int i = 0; i < 3; ++i)
        stored += randomCharacter();
    return Ansi::toUnicode(stored);
}

QString UnscramblePassword(const QString& stored)
{
    if (stored.isEmpty())
        return QString();
    const QByteArray text = Ansi::fromUnicode(stored);
    if (text.size() < 7)
        invalidArgument();
    const QByteArray body = text.mid(4, text.size() - 7);
    const qsizetype m = body.size();
    QByteArray clear;
    clear.reserve(m);
    for (qsizetype i = m; i >= 1; --i) {
        const int code = static_cast<unsigned char>(body[i - 1]) + 2 + int(m - i + 1);
        if (code > 255)
            invalidArgument();
        clear += char(code);
    }
    return Ansi::toUnicode(clear);
}

} // namespace limsbridge
