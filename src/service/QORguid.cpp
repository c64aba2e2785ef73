#include "QORguid.h"

#include <QUuid>

namespace limsbridge {

QString QORguid::GetNewGUID() const {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace limsbridge
