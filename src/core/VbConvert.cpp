#include "VbConvert.h"

#include <cmath>
#include <limits>

namespace limsbridge::Vb {

namespace {

// Parses sign, digits with optional thousands separators, a decimal part and
// an exponent; returns false when anything else is left over.
bool parseDecimal(const QString& raw, double& out)
{
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return false;
    if (text.startsWith("&H", Qt::CaseInsensitive) || text.startsWith("&O", Qt::CaseInsensitive)) {
        bool ok = false;
        const qlonglong v = text.mid(2).toLongLong(&ok, text[1].toUpper() == 'H' ? 16 : 8);
        if (ok)
            out = double(v);
        return ok;
    }
    QString plain;
    plain.reserve(text.size());
    qsizetype i = 0;
    if (text[i] == '+' || text[i] == '-')
        plain += text[i++];
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            plain += c;
            digits = true;
        } else if (c == ',' && !point && digits) {
            continue;
        } else if (c == '.' && !point) {
            plain += c;
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        bool expDigits = false;
        for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
            plain += text[i];
            expDigits = true;
        }
        if (!expDigits)
            return false;
    }
    if (i != text.size())
        return false;
    bool ok = false;
    out = plain.toDouble(&ok);
    return ok && std::isfinite(out);
}

} // namespace

bool IsNumeric(const QString& text)
{
    double ignored = 0;
    return parseDecimal(text, ignored);
}

bool IsNumeric(const QVariant& value)
{
    if (value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return true;
    default:
        return IsNumeric(value.toString());
    }
}

std::optional<double> ToDouble(const QString& text)
{
    double value = 0;
    if (!parseDecimal(text, value))
        return std::nullopt;
    return value;
}

std::optional<qint16> CInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // the default rounding mode is halves to even
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(rounded);
}

std::optional<qint16> CInt(const QString& text)
{
    const auto value = ToDouble(text);
    if (!value)
        return std::nullopt;
    return CInt(*value);
}

double Val(const QString& text)
{
    QString plain;
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        plain += text[i++];
    bool point = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        skipBlanks();
        if (i >= text.size())
            break;
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            plain += c;
            digits = true;
        } else if (c == '.' && !point) {
            plain += c;
            point = true;
        } else {
            break;
        }
    }
    if (digits && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        QString exponent = "e";
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        bool expDigits = false;
        for (; j < text.size() && text[j].isDigit() && text[j].unicode() < 128; ++j) {
            exponent += text[j];
            expDigits = true;
        }
        if (expDigits)
            plain += exponent;
    }
    bool ok = false;
    const double v = plain.toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

} // namespace limsbridge::Vb
