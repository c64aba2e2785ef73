// The headless form of service mode. It owns the scheduler of automated
// imports: a one-minute timer whose tick runs an import when the next run is
// due, never two at once, and keeps the process alive until it is stopped
// from outside. A stop request that arrives during a run ends the process
// only after the run returns, so no write is cut off.
#pragma once

#include "ServiceImportRoutines.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

namespace limsbridge {

class QORTimer;

class CommonNTSERVICE : public QObject {
    Q_OBJECT
public:
    //! Loads the form: computes the initial next run from the configuration.
    explicit CommonNTSERVICE(QObject* parent = nullptr);
    ~CommonNTSERVICE() override;

    void setCaption(const QString& caption) { m_caption = caption; }
    QString Caption() const { return m_caption; }

    //! The imports a due run calls; the headless routines until set.
    void setImportRoutines(ServiceImportRoutines routines);

    //! Starts service mode: creates the minute timer, runs one tick at once,
    //! then enables the timer. The process then lives on in the event loop.
    void RunNTService();

    //! One tick of the minute timer (also the immediate tick of RunNTService).
    void SchedulerTimer_Timer();

    //! The "Stop" button: turns the timer off; the process stays idle.
    void cmdStop_Click();
    //! The "end" button: ends the process as soon as no run is in progress.
    void cmdEnd_Click();
    //! Ends the event loop once no run is in progress (SIGTERM, SIGINT).
    void EndWhenIdle(int signal = 0);
    //! An end was requested; a long run may look at this to stop early.
    bool StopRequested() const { return m_stopRequested; }

    QDateTime NextRun() const { return m_nextRun; }
    bool Busy() const { return m_busy; }
    //! The minute timer; null until RunNTService created it.
    QORTimer* SchedulerTimer() const { return m_schedulerTimer.get(); }

private:
    //! Computes the next run; a schedule that cannot be read leaves it unchanged
    //! and returns false.
    bool ComputeNextRun(bool initial);
    //! True when the run is due; then the next run has already advanced.
    bool RunIsDue(bool& scheduleReadable);
    void RunScheduledImport();
    void ApplyVerbosity();
    void quitWhenBackInEventLoop();
    void writeLog(const QString& text, int level) const;

    QString m_caption = QStringLiteral("NTSERVICE MODE");
    QDateTime m_nextRun;
    bool m_busy = false;
    bool m_stopRequested = false;
    std::unique_ptr<QORTimer> m_schedulerTimer;
    ServiceImportRoutines m_importRoutines;
};

} // namespace limsbridge
