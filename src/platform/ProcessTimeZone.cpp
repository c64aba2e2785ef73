#include "ProcessTimeZone.h"

#include <cstdlib>
#include <ctime>

namespace limsbridge {

void PinProcessTimeZone()
{
    const char* zone = std::getenv("TZ");
    if (zone == nullptr || *zone == '\0') {
        ::setenv("TZ", ":/etc/localtime", 1);
        ::tzset();
    }
}

} // namespace limsbridge
