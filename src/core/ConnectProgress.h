// The connect-progress window as the layers below the user interface see it.
// Interactive mode installs the window at startup; without one (service mode,
// tests) a connection is simply opened where the window would have opened it.
#pragma once

#include <QString>

class QObject;

namespace limsbridge {

class DbConnection;

class ConnectProgress {
public:
    virtual ~ConnectProgress() = default;

    //! Shows the window without waiting for it (the caller lets it paint).
    virtual void showModeless() = 0;
    //! Hides the window shown by showModeless.
    virtual void hideWindow() = 0;
    //! Shows the window modally over the owner (a form, or null for the main
    //! window); the window opens the connection as soon as it is active. Returns
    //! whether the connection opened; errorText gets the window's error message.
    virtual bool connectModally(DbConnection& connection, QString& errorText, QObject* owner) = 0;
};

//! Installs the window (null: none, connections open without a window).
void setConnectProgress(ConnectProgress* progress);
ConnectProgress* connectProgress();

//! What the window does once it is active: opens the connection and reports
//! "Connecting to …", "Connection to Vell OXMO was established." or "Failed to
//! Connect to Vell OXMO." on the activity list only (not in the log file). On
//! failure errorMessage is "number - description". Never raises.
bool ConnectWithListLines(DbConnection& connection, QString& errorMessage);

//! "number - description" of the exception being handled, the form in which
//! connection failures are reported. Call it only inside a catch block.
QString CurrentErrorNumberText();

} // namespace limsbridge
