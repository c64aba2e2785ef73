// The C library looks at /etc/localtime again on every local-time conversion
// when TZ is not set, which costs a file-system call per date the program
// converts. Naming the same file in TZ once at startup lets the library keep
// the zone it has read; the zone itself does not change.
#pragma once

namespace limsbridge {

//! Sets TZ to ":/etc/localtime" when it is not set; call once at startup.
void PinProcessTimeZone();

} // namespace limsbridge
