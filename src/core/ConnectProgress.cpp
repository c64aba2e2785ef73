#include "ConnectProgress.h"

#include "core/ActivityLog.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"

#include <QCoreApplication>

#include <exception>

namespace limsbridge {

namespace {
ConnectProgress* g_progress = nullptr;

// The window's lines go to the list alone: the routines around it write their
// own lines to the log.
void listLine(const QString& text) {
    if (ActivitySink* sink = activitySink())
        sink->appendLine(text);
}
} // namespace

void setConnectProgress(ConnectProgress* progress) {
    g_progress = progress;
}

ConnectProgress* connectProgress() {
    return g_progress;
}

QString CurrentErrorNumberText() {
    try {
        throw;
    } catch (const RaisedError& error) {
        return QString::number(error.number()) + " - " + error.description();
    } catch (const std::exception& error) {
        // Not a database error: reported with the number of a failure without a code of its own.
        return QString::number(DbError::DriverFailure) + " - " + QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QString::number(DbError::DriverFailure) + " - Unknown error";
    }
}

bool ConnectWithListLines(DbConnection& connection, QString& errorMessage) {
    try {
        listLine("Connecting to Vell OXMO server '" + connection.DataSource() + "' ...");
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        connection.Open();
        listLine("Connection to Vell OXMO was established.");
        return true;
    } catch (...) {
        errorMessage = CurrentErrorNumberText();
        listLine("Failed to Connect to Vell OXMO.");
    }
    return false;
}

} // namespace limsbridge
