// A timer that raises a Timer event on its owner at a fixed interval while it
// is enabled. Changing the interval restarts a running timer; disabling or
// destroying it stops the underlying QTimer, so at most one runs per object.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QTimer;

namespace limsbridge {

class QORTimer : public QObject {
    Q_OBJECT
public:
    //! A disabled timer with interval 0 and a new GUID as its id.
    explicit QORTimer(QObject* parent = nullptr);
    ~QORTimer() override;

    bool Enabled() const { return m_enabled; }
    QString id() const { return m_id; }
    void setId(const QString& id) { m_id = id; }
    //! The owner whose event loop delivers the ticks (not owned).
    void setHWnd(QObject* window) { m_hWnd = window; }
    //! Stops a running timer, then starts a new one when enabled with a positive interval.
    void setEnabled(bool enabled);
    qint32 Interval() const { return m_interval; }
    //! Negative values are ignored; a running timer restarts with the new interval.
    void setInterval(qint32 milliseconds);
    //! Raises the Timer event.
    void RaiseTimer();
    //! The id of the running underlying timer, 0 when none runs.
    int timerId() const;

signals:
    void Timer();

private:
    void timerCallback();

    QPointer<QObject> m_hWnd;
    std::unique_ptr<QTimer> m_timer;
    bool m_enabled = false;
    qint32 m_interval = 0;
    QString m_id;
};

} // namespace limsbridge
