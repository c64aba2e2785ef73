// The user name stamped on every row the program writes to the plant database.
#pragma once

#include <QString>

namespace limsbridge {

//! The user an import run writes as (from the collector or the source record);
//! empty when none is set.
extern QString WriteAsUser;

//! WriteAsUser when set, otherwise "VIA_K" + the product name (VIA_K52907).
QString CurrentAuditUser();

} // namespace limsbridge
