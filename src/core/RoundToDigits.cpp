#include "RoundToDigits.h"

#include <QString>

#include <cmath>
#include <cstdlib>
#include <optional>

namespace limsbridge {

namespace {

using Int128 = __int128;

// The largest magnitude of a 96-bit decimal, the range the scaled value
// value x 10^digits has to stay within.
constexpr Int128 decimalMax() {
    return (Int128(1) << 96) - 1;
}

constexpr int kMaxDigits = 28;
constexpr int kSignificantDigits = 15;

Int128 powerOfTen(int exponent) {
    Int128 result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

// The factor 10^digits is a power of ten, so the exact decimal product
// value x factor only moves the decimal exponent; the cache keeps the digit
// count it stands for, the inverse factor and the number of decimals of the
// text the result is written as.
struct RoundingCache {
    bool valid = false;
    qint16 digits = 0;
    double inverse = 1;
    int formatDecimals = 0;
    quint64 builds = 0;
};

RoundingCache& cache() {
    static RoundingCache instance;
    return instance;
}

double inverseFactor(int digits) {
    // Exact powers of ten up to 10^22 are doubles, and one division of them
    // gives the nearest double to 10^-digits.
    if (digits >= 0)
        return digits <= 22 ? 1.0 / double(powerOfTen(digits)) : std::pow(10.0, -digits);
    return -digits <= 22 ? double(powerOfTen(-digits)) : std::pow(10.0, -digits);
}

// The decimal a positive double stands for, rounded to 15 significant
// digits: mantissa x 10^exponent with mantissa below 10^15.
struct Decimal {
    Int128 mantissa = 0;
    int exponent = 0;
};

Decimal toDecimal(double positive) {
    // "d.dddddddddddddde+X": 15 significant digits, correctly rounded.
    const QString text = QString::number(positive, 'e', kSignificantDigits - 1);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString digits = text.left(e);
    digits.remove(QLatin1Char('.'));
    Decimal result;
    for (const QChar c : digits)
        result.mantissa = result.mantissa * 10 + (c.unicode() - '0');
    result.exponent = text.mid(e + 1).toInt() - (kSignificantDigits - 1);
    return result;
}

// Int(x + 0.5) of the exact product x = magnitude x 10^digits; nullopt when
// the product leaves the decimal range.
std::optional<Int128> roundedScaled(double magnitude, int digits) {
    if (magnitude == 0)
        return Int128(0);
    const Decimal decimal = toDecimal(magnitude);
    const int shift = decimal.exponent + digits;
    if (shift >= 0) {
        if (shift > kMaxDigits)
            return std::nullopt;
        const Int128 product = decimal.mantissa * powerOfTen(shift);
        if (product > decimalMax())
            return std::nullopt;
        return product;
    }
    // x < 10^15 / 10^-shift: beyond 30 places it is far below one half.
    if (-shift > 30)
        return Int128(0);
    const Int128 divisor = powerOfTen(-shift);
    return (decimal.mantissa + divisor / 2) / divisor;
}

} // namespace

double RoundToDigits(double value, qint16 digits) {
    if (!std::isfinite(value) || std::abs(int(digits)) > kMaxDigits)
        return value;

    RoundingCache& c = cache();
    if (!c.valid || c.digits != digits) {
        c.inverse = inverseFactor(digits);
        c.formatDecimals = digits > 0 ? digits : 0;
        c.digits = digits;
        c.valid = true;
        ++c.builds;
    }

    // Halves away from zero: the magnitude is rounded and the sign put back.
    const std::optional<Int128> scaled = roundedScaled(std::abs(value), digits);
    if (!scaled)
        return value;
    double rounded = double(*scaled) * c.inverse;
    if (rounded == 0)
        return 0;
    if (value < 0)
        rounded = -rounded;

    // Writing the product with the wanted decimals and reading it back drops
    // the binary noise of the multiplication by the inverse (0.1 x 3).
    bool ok = false;
    const double parsed = QString::number(rounded, 'f', c.formatDecimals).toDouble(&ok);
    return ok ? parsed : value;
}

namespace Internal {
quint64 roundToDigitsCacheBuilds() {
    return cache().builds;
}
} // namespace Internal

} // namespace limsbridge
