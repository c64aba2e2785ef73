// Activity lines: messages that go to the log and, in interactive mode, to the
// main window's activity list. The list itself belongs to the user interface;
// this layer reaches it only through ActivitySink.
#pragma once

#include <QString>

namespace limsbridge {

//! The main window's activity list as seen from below the user interface.
class ActivitySink {
public:
    virtual ~ActivitySink() = default;
    virtual int lineCount() const = 0;
    //! Appends a line and selects it, so that the list scrolls to it.
    virtual void appendLine(const QString& text) = 0;
    virtual void clear() = 0;
};

//! Installs the activity list (null when there is none, as in service mode).
void setActivitySink(ActivitySink* sink);
ActivitySink* activitySink();

//! Writes an activity line of the given level (0..9).
void LogActivity(const QString& text, int level);
//! True when an activity line of the level would be written anywhere, so that
//! callers on a hot path can skip building a line nobody reads.
bool ActivityLevelWanted(int level);
//! Empties the activity list.
void ClearActivityLog();

} // namespace limsbridge
