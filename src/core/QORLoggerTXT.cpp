#include "QORLoggerTXT.h"

#include "AppInfo.h"
#include "Clock.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace limsbridge {

namespace {

constexpr int MinLevel = 0;
constexpr int MaxLevel = 9;
constexpr int MinRetentionDays = 7;
constexpr int MaxRetentionDays = 1000;

// Regional settings are US English throughout the program, whatever the host's locale.
const QLocale& usEnglish() {
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

} // namespace

QORLoggerTXT::QORLoggerTXT() : m_logPath(App::Path() + "/log") {}

QORLoggerTXT::~QORLoggerTXT() = default;

void QORLoggerTXT::setLogPath(const QString& path) {
    m_logPath = path;
    // One level only: a missing parent is a configuration mistake we do not paper over.
    QDir().mkdir(path);
}

void QORLoggerTXT::closeLog() {
    if (!m_enabled || !m_open)
        return;
    m_file.reset();
    m_open = false;
    m_unflushed = 0;
}

void QORLoggerTXT::AssertVerbosity() {
    const QString today = Clock::now().date().toString(QStringLiteral("M/d/yyyy"));
    WriteLog("[Log Verbosity is set to " + QString::number(m_verbosity) + ", Log Date is " + today + "]", 0);
}

void QORLoggerTXT::WriteLog(const QString& text, int level) {
    level = qBound(MinLevel, level, MaxLevel);
    if (!m_enabled)
        return;
    // The file is opened whatever the level, so that a quiet logger still
    // leaves a (possibly empty) file that shows the process ran.
    if (!m_open)
        openLog();
    if (m_verbosity >= level && m_open)
        writeLine(text);
}

bool QORLoggerTXT::openLog() {
    const QDateTime now = Clock::now();
    // The constructor's default folder has not been created yet; make it now
    // rather than silently logging nothing.
    if (!QFileInfo(m_logPath).isDir())
        QDir().mkdir(m_logPath);

    const QString path = m_logPath + "/" + m_prefix + now.toString(QStringLiteral("MM_dd_yyyy__HH_mm_ss")) +
                         m_postfix + ".log";
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
        return false;

    m_file = std::move(file);
    m_currentFile = path;
    m_logDate = now.date();
    m_unflushed = 0;
    if (m_logHandleAssertion)
        writeHandleFile();
    m_open = true;
    return true;
}

QString QORLoggerTXT::effectiveLogHandlePath() const {
    if (!m_logHandlePath.isEmpty())
        return m_logHandlePath;
    return App::Path() + "/" + App::EXEName() + ".log_handle";
}

void QORLoggerTXT::writeHandleFile() const {
    // The service monitor finds the current log through this file; a failure
    // here must not stop the logging itself.
    const QString handlePath = effectiveLogHandlePath();
    KillFileAndDiscardError(handlePath);
    QFile handle(handlePath);
    if (handle.open(QIODevice::WriteOnly | QIODevice::Truncate))
        handle.write((m_currentFile + "\n").toUtf8());
}

void QORLoggerTXT::writeLine(const QString& text) {
    const QDateTime now = Clock::now();
    if (now.date() != m_logDate) {
        // First write after midnight: start a new file and chain it to the old one.
        const QString previous = m_currentFile;
        m_file.reset();
        m_open = false;
        WriteLog("Previous log file for this session = " + previous, 0);
        if (!m_open)
            return;
    }

    const QByteArray line = (now.time().toString(QStringLiteral("HH:mm:ss")) + " : " + text + "\n").toUtf8();
    m_file->write(line);
    m_unflushed += line.size();
    // A buffer of one character means every line must reach the disk at once,
    // so that a crash loses nothing that was already logged.
    if (m_bufferLength <= 1 || m_unflushed >= m_bufferLength) {
        m_file->flush();
        m_unflushed = 0;
    }
}

void QORLoggerTXT::LSM_Init(int days) {
    m_retentionDays = qint16(qBound(MinRetentionDays, days, MaxRetentionDays));
    m_retentionFolder = m_logPath.toUpper();
    m_retentionPath = m_logPath;
    WriteLog("Logs in '" + m_retentionFolder + "' will be removed after they are older than " +
                 QString::number(m_retentionDays) + " days.",
             0);
    m_retentionLastHour = QDateTime();
    m_retentionReady = true;
}

void QORLoggerTXT::LSM_Run() {
    if (!m_retentionReady)
        return;
    const QDateTime now = Clock::now();
    const QDateTime clockHour(now.date(), QTime(now.time().hour(), 0, 0));
    if (m_retentionLastHour.isValid() && clockHour <= m_retentionLastHour)
        return;
    m_retentionLastHour = clockHour;

    const QDateTime threshold = now.addDays(-m_retentionDays);
    const QStringList names = QDir(m_retentionPath).entryList(QDir::Files | QDir::NoSymLinks);
    int removed = 0;
    qint64 freedBytes = 0;
    for (const QString& name : names) {
        const QString path = m_retentionPath + "/" + name;
        const QDateTime modified = GetLastModifiedFileTime(path);
        const qint32 size = GetFileSizeInBytes(path);
        if (modified.isValid() && modified < threshold && KillFileAndDiscardError(path)) {
            ++removed;
            freedBytes += size;
        }
    }

    if (removed > 0 && m_enabled && m_open) {
        const QString kilobytes = usEnglish().toString(double(freedBytes) / 1024.0, 'f', 2);
        writeLine("Removed " + QString::number(removed) + " logs. Freed " + kilobytes + " kB of disk space.");
    }
}

QDateTime QORLoggerTXT::GetLastModifiedFileTime(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QDateTime();
    return info.lastModified().toLocalTime();
}

qint32 QORLoggerTXT::GetFileSizeInBytes(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return 0;
    // Only the low 32 bits of the size are reported.
    return static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(info.size()) & 0xFFFFFFFFu));
}

bool QORLoggerTXT::KillFileAndDiscardError(const QString& path) {
    return QFile::remove(path);
}

} // namespace limsbridge
