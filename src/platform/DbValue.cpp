#include "platform/DbValue.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <cmath>

namespace limsbridge::DbValue {

namespace {

// yyyy-MM-dd, optionally followed by ' ' or 'T', HH:mm[:ss[.f{1,6}]].
const QRegularExpression& isoPattern() {
    static const QRegularExpression pattern(
        R"(^\s*(\d{4})-(\d{2})-(\d{2})(?:[ T](\d{2}):(\d{2})(?::(\d{2})(?:\.(\d{1,6}))?)?)?\s*$)");
    return pattern;
}

QDateTime parseIsoText(const QString& text) {
    const QRegularExpressionMatch match = isoPattern().match(text);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid())
        return {};
    QTime time(0, 0);
    if (match.hasCaptured(4)) {
        int milliseconds = 0;
        if (match.hasCaptured(7))
            milliseconds = (match.captured(7) + "00").left(3).toInt();
        time = QTime(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.hasCaptured(6) ? match.captured(6).toInt() : 0, milliseconds);
        if (!time.isValid())
            return {};
    }
    return QDateTime(date, time);
}

} // namespace

bool isNull(const QVariant& value) { return !value.isValid() || value.isNull(); }

bool isDate(const QVariant& value) { return dateOf(value).isValid(); }

QDateTime dateOf(const QVariant& value) {
    if (isNull(value))
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        // A value with a zone (timestamptz) is shown in our own zone; one
        // without (timestamp) already is wall-clock time.
        return dateTime.timeSpec() == Qt::LocalTime ? dateTime : dateTime.toLocalTime();
    }
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return parseIsoText(value.toString());
    default:
        return {};
    }
}

QString dateTimeText(const QDateTime& value) { return value.toString("yyyy-MM-dd HH:mm:ss"); }

QString textOf(const QVariant& value) {
    if (isNull(value))
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return dateTimeText(dateOf(value));
    case QMetaType::QDate:
        return value.toDate().toString("yyyy-MM-dd");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

QVariant forBinding(const QVariant& value) {
    if (isNull(value))
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return dateTimeText(dateOf(value));
    case QMetaType::QDate:
        return value.toDate().toString("yyyy-MM-dd");
    default:
        return value;
    }
}

QString quoteText(const QString& text) {
    QString quoted = text;
    quoted.replace('\'', "''");
    return '\'' + quoted + '\'';
}

QString quoteDateTime(const QDateTime& value) { return '\'' + dateTimeText(value) + '\''; }

QString doubleLiteral(double value) {
    if (std::isnan(value))
        return QStringLiteral("'NaN'");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("'Infinity'") : QStringLiteral("'-Infinity'");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace limsbridge::DbValue
