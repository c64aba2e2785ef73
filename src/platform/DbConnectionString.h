// An OLE DB connection string ("Key=Value;Key=Value;...") taken apart: keys are
// compared without regard to case or surrounding blanks, the raw text is kept.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace limsbridge {

class DbConnectionString {
public:
    DbConnectionString() = default;
    explicit DbConnectionString(const QString& text);

    //! The text exactly as given.
    const QString& raw() const { return m_raw; }

    //! True when the key appears (with any value, even empty).
    bool contains(const QString& key) const;
    //! The value of the key, trimmed; empty when absent. A key given twice keeps its last value.
    QString value(const QString& key) const;

    //! Every pair in the order written, keys as written (trimmed); repeated keys appear once, last value.
    const QList<QPair<QString, QString>>& pairs() const { return m_pairs; }

    //! The key in the canonical form used for comparisons: lower case, inner blanks collapsed.
    static QString normalizedKey(const QString& key);

private:
    void parse();

    QString m_raw;
    QList<QPair<QString, QString>> m_pairs;
};

} // namespace limsbridge
