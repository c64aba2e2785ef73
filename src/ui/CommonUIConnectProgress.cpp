#include "CommonUIConnectProgress.h"

#include "platform/DbConnection.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace limsbridge {

CommonUIConnectProgress::CommonUIConnectProgress(QWidget* parent) : QDialog(parent) {
    setObjectName("CommonUIConnectProgress");
    setWindowTitle(QStringLiteral("Vell OXMO"));
    m_caption = new QLabel(QStringLiteral("Connecting to Vell OXMO..."), this);
    m_caption->setObjectName("lblConnecting");
    m_product = new QLabel(QStringLiteral("Vell OXMO"), this);
    m_product->setObjectName("lblProduct");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_product);
    layout->addWidget(m_caption);
    setFixedSize(320, 90);
}

CommonUIConnectProgress::~CommonUIConnectProgress() = default;

bool CommonUIConnectProgress::ConnectNow() {
    if (!m_inCnn) {
        m_resErrorMessage = QStringLiteral("91 - Object variable or With block variable not set");
        return false;
    }
    return ConnectWithListLines(*m_inCnn, m_resErrorMessage);
}

void CommonUIConnectProgress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Platforms without a window manager (offscreen, some X setups) may never
    // report the window as active: connecting once it has been shown is the same.
    if (m_showOnActivate && !m_connectedBefore)
        QTimer::singleShot(0, this, &CommonUIConnectProgress::onActivated);
}

void CommonUIConnectProgress::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Deferred like the show: the modal loop of exec() must be running before
    // the window hides itself, or it would wait for ever on a hidden window.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_showOnActivate &&
        !m_connectedBefore)
        QTimer::singleShot(0, this, &CommonUIConnectProgress::onActivated);
}

void CommonUIConnectProgress::onActivated() {
    if (!m_showOnActivate || m_connectedBefore || !isVisible())
        return;
    m_connectedBefore = true;
    m_attemptConnect = ConnectNow();
    QCoreApplication::processEvents();
    // Hiding ends the modal loop of exec().
    hide();
}

ConnectProgressWindow::ConnectProgressWindow() = default;
ConnectProgressWindow::~ConnectProgressWindow() = default;

void ConnectProgressWindow::showModeless() {
    if (!m_modeless)
        m_modeless = std::make_unique<CommonUIConnectProgress>();
    m_modeless->show();
    m_modeless->raise();
}

void ConnectProgressWindow::hideWindow() {
    if (m_modeless)
        m_modeless->hide();
}

bool ConnectProgressWindow::connectModally(DbConnection& connection, QString& errorText, QObject* owner) {
    CommonUIConnectProgress window(qobject_cast<QWidget*>(owner));
    window.setInCnn(&connection);
    window.setShowOnActivate(true);
    window.exec();
    errorText = window.ResErrorMessage();
    return window.AttemptConnect();
}

} // namespace limsbridge
