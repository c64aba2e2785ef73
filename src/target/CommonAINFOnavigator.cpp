#include "CommonAINFOnavigator.h"

#include "core/QORConfiguration.h"

namespace limsbridge {

CommonAINFOnavigator* AinfoNavigator = nullptr;

void CommonAINFOnavigator::DefineTree(QORConfiguration& config)
{
    config.DefineTree("TARGET\\AINFO\\ENABLED", "FALSE");
    config.DefineTree("TARGET\\AINFO\\LOGNUMBERWRITES", "FALSE");
    for (int n = 1; n <= kMapEntryCount; ++n) {
        const QString base = "TARGET\\AINFO\\MAP" + QString::number(n);
        config.DefineTree(base + "\\ENABLED", "FALSE");
        config.DefineTree(base + "\\TARGETID", QString());
        config.DefineTree(base + "\\SOURCEID", QString());
    }
}

} // namespace limsbridge
