#include "import/ImportRecovery.h"

#include "core/ActivityLog.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "import/CommonImport.h"
#include "import/ImportStatistics.h"
#include "source/CustomSource.h"
#include "target/CommonFacilityWriter.h"
#include "target/ValueConversions.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace limsbridge {

namespace {

// Short enough that a window repaints and answers clicks while the run waits.
constexpr qint64 kWaitSliceMilliseconds = 20;

void letPendingEventsRun() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The two activity lines of a failed attempt; the second party is always
// named "source", for the plant database too, as the lines have always read.
void logRetry(const QString& party, const RecoverySettings& settings, qint32 attempt) {
    LogActivity(QStringLiteral("Connection error occured while communicating with ") + party +
                    QStringLiteral(". Will attempt to re-connect to source for ") +
                    QString::number(settings.attempts - attempt + 1) + QStringLiteral(" times"),
                1);
    LogActivity(QStringLiteral("Waiting for ") + settings.secondsText +
                    QStringLiteral(" seconds before attempting to re-connect ... "),
                1);
}

} // namespace

RecoverySettings RecoverySettings::Read(const QString& branch) {
    RecoverySettings settings;
    const QString attempts = Config ? Config->item(branch + QStringLiteral("\\RECOVERY\\ATTEMPTS")) : QString();
    settings.secondsText = Config ? Config->item(branch + QStringLiteral("\\RECOVERY\\SECONDS")) : QString();
    settings.attempts = ValueConversions::toLong(attempts);
    const double seconds = ValueConversions::toDouble(settings.secondsText);
    settings.waitMilliseconds = std::max<qint64>(0, qint64(std::llround(seconds * 1000)));
    return settings;
}

void RecoveryWait(qint64 milliseconds) {
    QDeadlineTimer deadline(std::max<qint64>(milliseconds, 0));
    while (!deadline.hasExpired()) {
        letPendingEventsRun();
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            break;
        QThread::msleep(quint64(std::min(remaining, kWaitSliceMilliseconds)));
    }
    letPendingEventsRun();
}

bool CommonImport::ReadSourceWithRecovery(CustomSource& source) {
    const RecoverySettings settings = RecoverySettings::Read(QStringLiteral("SOURCE"));
    for (qint32 attempt = 1;; ++attempt) {
        if (attempt > settings.attempts) {
            LogActivity(QStringLiteral("Unable to connect to source."), 0);
            return false;
        }
        if (Logger)
            Logger->WriteLog(QStringLiteral("TXT_Query(): ") + source.LogCustomSourceQuery(), 3);
        const double before = ImportStatistics::Timer();
        bool executionErrorOccured = false;
        source.ReadLIMSdata(executionErrorOccured);
        const double after = ImportStatistics::Timer();
        if (!executionErrorOccured) {
            AddReadStatistics(before, after, source.RecordCount());
            return true;
        }
        m_statistics.AddSourceConnectionFailure();
        logRetry(QStringLiteral("source"), settings, attempt);
        source.DestroyConnection();
        RecoveryWait(settings.waitMilliseconds);
    }
}

bool CommonImport::WriteWithRecovery(const std::function<bool()>& write) {
    // Every attempt repeats the same call with the same arguments; the write
    // procedures replace the row of the day or slot, so a value that reached
    // the database before the connection broke is not stored twice.
    const RecoverySettings settings = RecoverySettings::Read(QStringLiteral("TARGET"));
    for (qint32 attempt = 1;; ++attempt) {
        if (attempt > settings.attempts) {
            LogActivity(QStringLiteral("Unable to connect to Vell OXMO."), 0);
            return false;
        }
        if (write())
            return true;
        m_statistics.AddTargetConnectionFailure();
        logRetry(QStringLiteral("Vell OXMO"), settings, attempt);
        m_writer->DestroyConnection();
        RecoveryWait(settings.waitMilliseconds);
    }
}

} // namespace limsbridge
