// The text log: timestamped lines in a file that is opened on first use, rolls
// over at midnight, is filtered by a verbosity level 0..9 and cleans up old
// files of its folder.
#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <memory>

namespace limsbridge {

class QORLoggerTXT {
public:
    QORLoggerTXT();
    ~QORLoggerTXT();

    void setLogHandleAssertion(bool on) { m_logHandleAssertion = on; }
    //! Setting the folder also creates it (one level; errors ignored).
    void setLogPath(const QString& path);
    QString LogPath() const { return m_logPath; }
    void setPrefix(const QString& prefix) { m_prefix = prefix; }
    QString Prefix() const { return m_prefix; }
    void setPostfix(const QString& postfix) { m_postfix = postfix; }
    QString Postfix() const { return m_postfix; }
    void setVerbosity(qint16 verbosity) { m_verbosity = verbosity; }
    qint16 Verbosity() const { return m_verbosity; }
    void setBufferLength(qint16 length) { m_bufferLength = length; }
    qint16 BufferLength() const { return m_bufferLength; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool Enabled() const { return m_enabled; }

    void closeLog();
    void AssertVerbosity();
    void WriteLog(const QString& text, int level);
    void LSM_Init(int days);
    void LSM_Run();
    static QDateTime GetLastModifiedFileTime(const QString& path);
    static qint32 GetFileSizeInBytes(const QString& path);
    static bool KillFileAndDiscardError(const QString& path);

    //! Full path of the open log file; empty when none is open.
    QString currentFile() const { return m_currentFile; }
    //! The ".log_handle" file written when the handle assertion is on; unless
    //! set, application home + "/" + executable name + ".log_handle".
    void setLogHandlePath(const QString& path) { m_logHandlePath = path; }
    QString logHandlePath() const { return effectiveLogHandlePath(); }

private:
    bool openLog();
    void writeLine(const QString& text);
    void writeHandleFile() const;
    QString effectiveLogHandlePath() const;

    QString m_logPath;
    QString m_prefix;
    QString m_postfix;
    qint16 m_verbosity = 0;
    qint16 m_bufferLength = 1024;
    bool m_enabled = false;
    bool m_logHandleAssertion = false;
    QString m_logHandlePath;

    std::unique_ptr<QFile> m_file;
    bool m_open = false;
    QString m_currentFile;
    QDate m_logDate;
    //! Bytes written since the last flush; the file is flushed once they reach BufferLength.
    qint64 m_unflushed = 0;

    //! The folder as the retention message names it (upper case).
    QString m_retentionFolder;
    //! The folder actually searched: file names are case-sensitive here, so the
    //! upper-cased text above cannot be used to reach the files.
    QString m_retentionPath;
    qint16 m_retentionDays = 30;
    bool m_retentionReady = false;
    QDateTime m_retentionLastHour;
};

} // namespace limsbridge
