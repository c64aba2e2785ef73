#include "TargetConnectionOpen.h"

#include "core/ActivityLog.h"
#include "core/ConnectProgress.h"
#include "core/Globals.h"
#include "platform/DbConnection.h"

#include <QCoreApplication>

namespace limsbridge {

bool OpenTargetConnection(DbConnection& connection, QString& errorText, bool useDialog, QObject* ownerForm) {
    try {
        if (ServiceMode) {
            connection.Open();
            return true;
        }
        if (useDialog)
            return OpenConnectionViaDialog(connection, errorText, ownerForm);
        return OpenConnectionWithProgress(connection, errorText);
    } catch (...) {
        errorText = CurrentErrorNumberText();
        return false;
    }
}

bool OpenConnectionWithProgress(DbConnection& connection, QString& errorText) {
    ConnectProgress* window = connectProgress();
    try {
        LogActivity("Connecting to Vell OXMO server '" + connection.DataSource() + "' ...", 0);
        if (window)
            window->showModeless();
        // Once, so that the window paints before the thread blocks in Open.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        connection.Open();
        if (window)
            window->hideWindow();
        LogActivity("Connection to Vell OXMO was established.", 0);
        return true;
    } catch (...) {
        errorText = CurrentErrorNumberText();
        if (window)
            window->hideWindow();
        LogActivity("Failed to Connect to Vell OXMO.", 0);
        return false;
    }
}

bool OpenConnectionViaDialog(DbConnection& connection, QString& errorText, QObject* ownerForm) {
    try {
        if (ConnectProgress* window = connectProgress())
            return window->connectModally(connection, errorText, ownerForm);
        // No window to show: do at once what it would do when it became active.
        // As with the window, the error text is its message, empty on success.
        QString message;
        const bool connected = ConnectWithListLines(connection, message);
        errorText = message;
        return connected;
    } catch (...) {
        errorText = CurrentErrorNumberText();
        return false;
    }
}

} // namespace limsbridge
