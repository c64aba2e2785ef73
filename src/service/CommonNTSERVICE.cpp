#include "CommonNTSERVICE.h"

#include "QORTimer.h"
#include "ServiceSchedule.h"

#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/VbConvert.h"
#include "platform/RaisedError.h"
#include "target/DateText.h"

#include <QCoreApplication>

#include <exception>

namespace limsbridge {

namespace {

constexpr qint32 kTickMilliseconds = 60000;
const QString kTimerId = QStringLiteral("NTService_Scheduler");

// Clears the busy flag however the tick ends.
class BusyFlag {
public:
    explicit BusyFlag(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyFlag() { m_busy = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& m_busy;
};

} // namespace

CommonNTSERVICE::CommonNTSERVICE(QObject* parent)
    : QObject(parent), m_importRoutines(HeadlessServiceImportRoutines()) {
    // A schedule that cannot be read makes the first tick due, so that the
    // problem shows in the log at once and a corrected file is read there.
    if (!ComputeNextRun(true))
        m_nextRun = Clock::now();
}

CommonNTSERVICE::~CommonNTSERVICE() = default;

void CommonNTSERVICE::setImportRoutines(ServiceImportRoutines routines) {
    m_importRoutines = std::move(routines);
}

void CommonNTSERVICE::RunNTService() {
    if (!m_schedulerTimer) {
        m_schedulerTimer = std::make_unique<QORTimer>(this);
        m_schedulerTimer->setHWnd(this);
        m_schedulerTimer->setInterval(kTickMilliseconds);
        m_schedulerTimer->setId(kTimerId);
        connect(m_schedulerTimer.get(), &QORTimer::Timer, this, &CommonNTSERVICE::SchedulerTimer_Timer);
    }
    SchedulerTimer_Timer();
    if (!m_stopRequested)
        m_schedulerTimer->setEnabled(true);
}

void CommonNTSERVICE::SchedulerTimer_Timer() {
    // A tick that arrives while a run lets events through is dropped, not
    // queued: imports never overlap.
    if (m_busy)
        return;
    {
        BusyFlag busy(m_busy);
        bool scheduleReadable = true;
        if (RunIsDue(scheduleReadable)) {
            // The file is re-read even when the schedule could not be, since
            // only a new read can bring a corrected schedule in.
            if (Config && Config->ReadConfig() && scheduleReadable) {
                ApplyVerbosity();
                RunScheduledImport();
                writeLog("Going to Sleep mode. Will next wake up at : " + DateText::Activity(m_nextRun), 0);
            }
        }
    }
    if (m_stopRequested)
        quitWhenBackInEventLoop();
}

void CommonNTSERVICE::cmdStop_Click() {
    if (m_schedulerTimer)
        m_schedulerTimer->setEnabled(false);
}

void CommonNTSERVICE::cmdEnd_Click() {
    EndWhenIdle();
}

void CommonNTSERVICE::EndWhenIdle(int signal) {
    m_stopRequested = true;
    QString line = QStringLiteral("Service mode end requested");
    if (signal != 0)
        line += " (signal " + QString::number(signal) + ")";
    writeLog(line +
                 (m_busy ? QStringLiteral("; ending when the running import returns.") : QStringLiteral(".")),
             0);
    if (!m_busy)
        quitWhenBackInEventLoop();
}

bool CommonNTSERVICE::ComputeNextRun(bool initial) {
    try {
        m_nextRun = NextScheduledRun(Clock::now(), initial);
        return true;
    } catch (const RaisedError& error) {
        writeLog("Unable to compute the next scheduled run: " + QString::number(error.number()) + " - " +
                     error.description(),
                 0);
        return false;
    }
}

bool CommonNTSERVICE::RunIsDue(bool& scheduleReadable) {
    if (Clock::now() < m_nextRun)
        return false;
    // The following run counts from this moment, before the import starts.
    scheduleReadable = ComputeNextRun(false);
    return true;
}

void CommonNTSERVICE::RunScheduledImport() {
    // Whatever an import raises ends here: the run is over, the next one stays
    // scheduled and the service goes on.
    try {
        const auto& routine =
            Csv.CsvInputEnabled ? m_importRoutines.ImportAllFromCsv : m_importRoutines.ImportAll;
        if (routine)
            routine(false);
    } catch (const RaisedError& error) {
        writeLog("CommonNTSERVICE.SchedulerTimer_Timer Error: " + QString::number(error.number()) + " - " +
                     error.description(),
                 0);
    } catch (const std::exception& error) {
        writeLog("CommonNTSERVICE.SchedulerTimer_Timer Error: 0 - " + QString::fromLocal8Bit(error.what()),
                 0);
    } catch (...) {
        writeLog(QStringLiteral("CommonNTSERVICE.SchedulerTimer_Timer Error: 0 - unknown error"), 0);
    }
}

void CommonNTSERVICE::ApplyVerbosity() {
    if (!Logger)
        return;
    // Not clamped here, unlike at startup; a value that is no 16-bit number
    // keeps the verbosity in use.
    if (const auto verbosity = Vb::CInt(Config->item(QStringLiteral("OPTIONS\\LOG_VERBOSITY"))))
        Logger->setVerbosity(*verbosity);
    Logger->AssertVerbosity();
}

void CommonNTSERVICE::quitWhenBackInEventLoop() {
    cmdStop_Click();
    // Queued, so that the loop ends only once control is back in it (or as
    // soon as it starts, when the request came before).
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void CommonNTSERVICE::writeLog(const QString& text, int level) const {
    if (Logger)
        Logger->WriteLog(text, level);
}

} // namespace limsbridge
