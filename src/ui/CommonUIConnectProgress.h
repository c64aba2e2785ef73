// The small window shown while a plant-database connection opens, and the
// ConnectProgress implementation that the lower layers reach it through.
#pragma once

#include "core/ConnectProgress.h"

#include <QDialog>

#include <memory>

class QLabel;

namespace limsbridge {

class DbConnection;

class CommonUIConnectProgress : public QDialog {
    Q_OBJECT
public:
    explicit CommonUIConnectProgress(QWidget* parent = nullptr);
    ~CommonUIConnectProgress() override;

    //! The connection ConnectNow opens; not owned.
    DbConnection* InCnn() const { return m_inCnn; }
    void setInCnn(DbConnection* connection) { m_inCnn = connection; }
    //! Connect as soon as the window becomes active (once per window).
    bool ShowOnActivate() const { return m_showOnActivate; }
    void setShowOnActivate(bool on) { m_showOnActivate = on; }
    //! Whether the connection made on activation opened.
    bool AttemptConnect() const { return m_attemptConnect; }
    //! "number - description" of the failed connection; empty otherwise.
    const QString& ResErrorMessage() const { return m_resErrorMessage; }

    //! Opens InCnn, with its lines on the activity list; false on failure.
    bool ConnectNow();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void onActivated();

    QLabel* m_caption = nullptr;
    QLabel* m_product = nullptr;
    DbConnection* m_inCnn = nullptr;
    bool m_showOnActivate = false;
    bool m_attemptConnect = false;
    bool m_connectedBefore = false;
    QString m_resErrorMessage;
};

//! The window as interactive mode installs it with setConnectProgress.
class ConnectProgressWindow : public ConnectProgress {
public:
    ConnectProgressWindow();
    ~ConnectProgressWindow() override;

    void showModeless() override;
    void hideWindow() override;
    bool connectModally(DbConnection& connection, QString& errorText, QObject* owner) override;

private:
    std::unique_ptr<CommonUIConnectProgress> m_modeless;
};

} // namespace limsbridge
