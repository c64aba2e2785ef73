// Identifiers for timers and other objects that need a unique text name.
#pragma once

#include <QString>

namespace limsbridge {

class QORguid {
public:
    //! A new GUID in the 8-4-4-4-12 hexadecimal form, upper case, without braces (36 characters).
    QString GetNewGUID() const;
};

} // namespace limsbridge
