#include "DateText.h"

#include "platform/DbValue.h"

#include <QLocale>

namespace limsbridge::DateText {

namespace {

const QLocale& usEnglish() {
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

} // namespace

QDateTime ZeroDate() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

QString General(const QDateTime& value) {
    if (!value.isValid())
        return {};
    const QTime time = value.time();
    const QString timeText = usEnglish().toString(time, QStringLiteral("h:mm:ss AP"));
    if (value.date() == ZeroDate().date())
        return timeText;
    const QString dateText = value.date().toString(QStringLiteral("M/d/yyyy"));
    if (time == QTime(0, 0))
        return dateText;
    return dateText + QLatin1Char(' ') + timeText;
}

QString Activity(const QDateTime& value) {
    return value.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

QDateTime Read(const QVariant& value) {
    if (DbValue::isNull(value))
        return {};
    if (DbValue::isDate(value))
        return DbValue::dateOf(value);
    if (value.typeId() != QMetaType::QString)
        return {};
    const QString text = value.toString().simplified();
    static const char* const usForms[] = {"M/d/yyyy h:mm:ss AP", "M/d/yyyy h:mm AP", "M/d/yyyy H:mm:ss",
                                          "M/d/yyyy H:mm", "M/d/yyyy"};
    for (const char* form : usForms) {
        const QDateTime parsed = usEnglish().toDateTime(text, QString::fromLatin1(form));
        if (parsed.isValid())
            return QDateTime(parsed.date(), parsed.time());
    }
    return {};
}

} // namespace limsbridge::DateText
