#include "platform/DbError.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QStringList>

namespace limsbridge {

namespace {

bool looksLikeSqlState(const QString& code) {
    static const QRegularExpression pattern("^[0-9A-Z]{5}$");
    return pattern.match(code).hasMatch();
}

// PostgreSQL's messages carry a severity prefix and, for syntax errors, the
// statement line with a caret under the fault; neither helps in a log line.
QString cleanDriverText(const QString& text) {
    QStringList kept;
    for (const QString& rawLine : text.split('\n')) {
        QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith("LINE ") || line.count('^') + line.count(' ') == line.size())
            continue;
        for (const char* prefix : {"ERROR:", "FATAL:", "PANIC:"}) {
            if (line.startsWith(QLatin1String(prefix))) {
                line = line.mid(qsizetype(strlen(prefix))).trimmed();
                break;
            }
        }
        kept.append(line);
    }
    return kept.join(' ').simplified();
}

} // namespace

long DbError::numberFor(DbDriverKind driver, const QString& nativeCode) {
    const QString code = nativeCode.section(';', 0, 0).trimmed();
    if (code.isEmpty())
        return DriverFailure;
    if (driver == DbDriverKind::PostgreSql && looksLikeSqlState(code)) {
        long packed = 0;
        for (int i = 0; i < 5; ++i)
            packed += long((code.at(i).unicode() - '0') & 0x3F) << (6 * i);
        return packed;
    }
    bool numeric = false;
    const long number = code.toLong(&numeric);
    if (numeric && number != 0)
        return number;
    return DriverFailure;
}

DbError DbError::fromSqlError(DbDriverKind driver, const QSqlError& error, const QString& context) {
    DbError result;
    const QString code = error.nativeErrorCode().trimmed();
    if (driver == DbDriverKind::PostgreSql && looksLikeSqlState(code))
        result.SQLState = code;
    else
        result.NativeError = code;
    result.Number = numberFor(driver, code);
    QString text = cleanDriverText(error.databaseText());
    // QPSQL appends the SQLSTATE in parentheses; we add it once, in our own words.
    if (!code.isEmpty() && text.endsWith("(" + code + ")"))
        text = text.left(text.size() - code.size() - 2).trimmed();
    if (text.isEmpty())
        text = error.driverText().simplified();
    if (text.isEmpty())
        text = "unknown driver error";
    if (!result.SQLState.isEmpty())
        text += " (SQLSTATE " + result.SQLState + ")";
    result.Description = context.isEmpty() ? text : context + ": " + text;
    return result;
}

} // namespace limsbridge
