#include "ValueConversions.h"

#include "core/VbConvert.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"

#include <cmath>
#include <limits>

namespace limsbridge::ValueConversions {

namespace {

[[noreturn]] void raiseNull() {
    throw RaisedError(94, QStringLiteral("Invalid use of Null"));
}

[[noreturn]] void raiseTypeMismatch() {
    throw RaisedError(13, QStringLiteral("Type mismatch"));
}

} // namespace

double toDouble(const QVariant& value) {
    if (DbValue::isNull(value))
        raiseNull();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? -1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    default:
        break;
    }
    const std::optional<double> number = Vb::ToDouble(value.toString());
    if (!number)
        raiseTypeMismatch();
    return *number;
}

qint32 toLong(const QVariant& value) {
    const double rounded = std::nearbyint(toDouble(value)); // the default rounding mode: halves to even
    if (!std::isfinite(rounded) || rounded < double(std::numeric_limits<qint32>::min()) ||
        rounded > double(std::numeric_limits<qint32>::max()))
        throw RaisedError(6, QStringLiteral("Overflow"));
    return static_cast<qint32>(rounded);
}

bool toBoolean(const QVariant& value) {
    if (DbValue::isNull(value))
        raiseNull();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString word = value.toString().trimmed();
        if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return toDouble(value) != 0.0;
}

} // namespace limsbridge::ValueConversions
