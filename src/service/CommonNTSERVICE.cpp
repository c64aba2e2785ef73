#include "CommonNTSERVICE.h"

namespace limsbridge {

CommonNTSERVICE::CommonNTSERVICE(QObject* parent)
    : QObject(parent)
{
}

void CommonNTSERVICE::RunNTService()
{
}

} // namespace limsbridge
