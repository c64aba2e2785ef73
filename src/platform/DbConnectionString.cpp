#include "platform/DbConnectionString.h"

namespace limsbridge {

DbConnectionString::DbConnectionString(const QString& text) : m_raw(text) { parse(); }

QString DbConnectionString::normalizedKey(const QString& key) { return key.simplified().toLower(); }

bool DbConnectionString::contains(const QString& key) const {
    const QString wanted = normalizedKey(key);
    for (const auto& pair : m_pairs)
        if (normalizedKey(pair.first) == wanted)
            return true;
    return false;
}

QString DbConnectionString::value(const QString& key) const {
    const QString wanted = normalizedKey(key);
    for (const auto& pair : m_pairs)
        if (normalizedKey(pair.first) == wanted)
            return pair.second;
    return {};
}

// Values may be quoted with '…' or "…" (the quote doubled inside) or, as ODBC
// driver names are, wrapped in {…}; such a value may hold ';'. Pieces without
// '=' and empty pieces are ignored.
void DbConnectionString::parse() {
    const QString& text = m_raw;
    const qsizetype length = text.size();
    qsizetype pos = 0;
    while (pos < length) {
        const qsizetype equals = text.indexOf('=', pos);
        const qsizetype semicolon = text.indexOf(';', pos);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
            if (semicolon < 0)
                break;
            pos = semicolon + 1;
            continue;
        }
        const QString key = text.mid(pos, equals - pos).trimmed();
        pos = equals + 1;
        while (pos < length && text.at(pos).isSpace())
            ++pos;
        QString value;
        const QChar first = pos < length ? text.at(pos) : QChar();
        if (first == '"' || first == '\'') {
            ++pos;
            while (pos < length) {
                if (text.at(pos) == first) {
                    if (pos + 1 < length && text.at(pos + 1) == first) {
                        value += first;
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text.at(pos++);
            }
            const qsizetype end = text.indexOf(';', pos);
            pos = end < 0 ? length : end + 1;
        } else if (first == '{') {
            const qsizetype close = text.indexOf('}', pos);
            const qsizetype end = text.indexOf(';', close < 0 ? pos : close);
            value = text.mid(pos, (end < 0 ? length : end) - pos).trimmed();
            pos = end < 0 ? length : end + 1;
        } else {
            const qsizetype end = text.indexOf(';', pos);
            value = text.mid(pos, (end < 0 ? length : end) - pos).trimmed();
            pos = end < 0 ? length : end + 1;
        }
        if (key.isEmpty())
            continue;
        const QString normalized = normalizedKey(key);
        bool replaced = false;
        for (auto& pair : m_pairs) {
            if (normalizedKey(pair.first) == normalized) {
                pair.second = value;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            m_pairs.append({key, value});
    }
}

} // namespace limsbridge
