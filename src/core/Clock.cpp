#include "Clock.h"

namespace limsbridge::Clock {

namespace {
std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

QDateTime now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

void setSource(std::function<QDateTime()> fn)
{
    source() = std::move(fn);
}

void setFixed(const QDateTime& fixed)
{
    source() = [fixed] { return fixed; };
}

} // namespace limsbridge::Clock
