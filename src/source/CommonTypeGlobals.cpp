#include "CommonTypeGlobals.h"

#include "CommonUnitConvert.h"
#include "core/QORConfiguration.h"

namespace limsbridge {

bool CommentWriterEnabled = false;

void RegisterMatchingDefaults(QORConfiguration& config)
{
    CommonUnitConvert::DefineTree(config);
    CommentWriterEnabled = true;
    config.DefineTree("TARGET\\COMMENTWRITER\\ENABLED", "TRUE");
    config.DefineTree("TARGET\\IGNORECASEDURINGMATCH\\ENABLED", "FALSE");
}

} // namespace limsbridge
