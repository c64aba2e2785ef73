// The path of a plant location: its name and those of its parents, from the
// top of the location tree down, joined by "\".
#pragma once

#include <QString>

namespace limsbridge {

class DbConnection;

//! "Plant\Basin 1\Inlet" for a location three levels deep; empty for the ids
//! "0", "" and "-1" (no query), for an unknown id and on any error (logged).
//! A parent chain that comes back to a location already on the path ends there.
QString GetLocationPath(const QString& locationId, DbConnection& connection);

} // namespace limsbridge
