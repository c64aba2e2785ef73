#include "ActivityLog.h"

#include "Globals.h"
#include "QORLoggerTXT.h"

namespace limsbridge {

namespace {
ActivitySink* g_sink = nullptr;

// The list is emptied before it grows past these sizes, so that a window that
// stays open for weeks does not hold millions of lines.
constexpr int kClearBeforeAppendAbove = 32000;
constexpr int kClearAfterAppendAbove = 20000;
} // namespace

void setActivitySink(ActivitySink* sink)
{
    g_sink = sink;
}

ActivitySink* activitySink()
{
    return g_sink;
}

void LogActivity(const QString& text, int level)
{
    if (!ServiceMode && g_sink && Logger && Logger->Verbosity() >= level) {
        if (g_sink->lineCount() > kClearBeforeAppendAbove)
            ClearActivityLog();
        g_sink->appendLine(text);
        if (g_sink->lineCount() > kClearAfterAppendAbove)
            ClearActivityLog();
    }
    if (Logger)
        Logger->WriteLog(text, level);
}

bool ActivityLevelWanted(int level)
{
    return Logger && Logger->Enabled() && Logger->Verbosity() >= qBound(0, level, 9);
}

void ClearActivityLog()
{
    if (g_sink)
        g_sink->clear();
}

} // namespace limsbridge
