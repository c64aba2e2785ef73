#include "CommonTypeGlobals.h"

#include "CommonUnitConvert.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "source/CustomSource.h"

#include <exception>

namespace limsbridge {

bool CommentWriterEnabled = false;

void RegisterMatchingDefaults(QORConfiguration& config)
{
    CommonUnitConvert::DefineTree(config);
    CommentWriterEnabled = true;
    config.DefineTree("TARGET\\COMMENTWRITER\\ENABLED", "TRUE");
    config.DefineTree("TARGET\\IGNORECASEDURINGMATCH\\ENABLED", "FALSE");
}

QString SourceConnectionString(bool mask)
{
    try {
        CustomSource source;
        return source.GenerateSourceConnString(mask);
    } catch (const std::exception&) {
        return QString();
    }
}

bool IgnoreCaseEnabled()
{
    if (!Config)
        return false;
    try {
        // Only the exact upper-case word switches it on; "True" does not.
        return Config->item(QStringLiteral("TARGET\\IGNORECASEDURINGMATCH\\ENABLED")) == QLatin1String("TRUE");
    } catch (const RaisedError&) {
        return false;
    }
}

} // namespace limsbridge
