#include "QORTimer.h"

#include "QORguid.h"

#include "core/Globals.h"
#include "core/QORLoggerTXT.h"

#include <QTimer>

namespace limsbridge {

QORTimer::QORTimer(QObject* parent) : QObject(parent), m_id(QORguid().GetNewGUID()) {}

QORTimer::~QORTimer() {
    m_timer.reset();
}

void QORTimer::setEnabled(bool enabled) {
    m_timer.reset();
    m_enabled = enabled;
    if (m_interval > 0 && enabled) {
        m_timer = std::make_unique<QTimer>();
        // A child of this object, so that the owner can see every timer it runs.
        m_timer->setParent(this);
        // A coarse timer may fire seconds early, which would let a due time slip
        // to the following tick.
        m_timer->setTimerType(Qt::PreciseTimer);
        m_timer->setInterval(m_interval);
        connect(m_timer.get(), &QTimer::timeout, this, &QORTimer::timerCallback);
        m_timer->start();
    }
}

void QORTimer::setInterval(qint32 milliseconds) {
    if (milliseconds < 0)
        return;
    m_interval = milliseconds;
    setEnabled(m_enabled);
}

void QORTimer::RaiseTimer() {
    emit Timer();
}

int QORTimer::timerId() const {
    return m_timer ? m_timer->timerId() : 0;
}

void QORTimer::timerCallback() {
    if (Logger)
        Logger->WriteLog(m_id + " callback entered.", 2);
    RaiseTimer();
    if (Logger)
        Logger->WriteLog(m_id + " callback exited.", 2);
}

} // namespace limsbridge
