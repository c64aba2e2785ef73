// A small laboratory (LIMS) database for the tests of the source reader: the
// tables ORDERS, RESULTS, SAMPLE_PROGRAMS and FOLDERS that the default source
// query reads, on PostgreSQL (schema "lims" in a scratch database, read through
// the login "lims" with a password) or in a SQLite file, together with the
// process-wide logger, configuration (every key registered) and additional-info
// navigator, and the source keys pointing at the database.
#pragma once

#include "support/target/TestProcess.h"

#include "support/PgTestServer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

namespace limsbridge {
class CommonAINFOnavigator;
class QORConfiguration;
class QORLoggerTXT;
class QORmsgBoxHandler;
} // namespace limsbridge

namespace limsbridge::testing {

enum class LimsDriver { PostgreSql, Sqlite };

//! "PostgreSQL" or "SQLite", for test names.
const char* limsDriverName(LimsDriver driver);

class LimsFixture {
public:
    //! The password of the PostgreSQL login that reads the laboratory schema.
    static constexpr const char* kPassword = "Lab-Reader#7731";
    //! The schema on PostgreSQL, which is also the login's name.
    static constexpr const char* kSchema = "lims";

    //! For PostgreSQL call LB_REQUIRE_PG() before constructing one.
    explicit LimsFixture(LimsDriver driver);
    //! Uses the process-wide logger and configuration a test has already set
    //! up (a target environment, for instance) instead of making its own; the
    //! application home stays as it is.
    LimsFixture(LimsDriver driver, QORConfiguration& sharedConfig, QORLoggerTXT& sharedLogger);
    ~LimsFixture();
    LimsFixture(const LimsFixture&) = delete;
    LimsFixture& operator=(const LimsFixture&) = delete;

    LimsDriver driver() const { return m_driver; }
    QORConfiguration& config() { return *m_activeConfig; }
    QORLoggerTXT& logger() { return *m_activeLogger; }
    CommonAINFOnavigator& navigator() { return *m_navigator; }
    QString home() const { return m_home.path(); }
    //! PostgreSQL: "host:port/database"; SQLite: the database file.
    QString dataSource() const;
    //! The path of the SQLite file (empty on PostgreSQL).
    QString sqliteFile() const { return m_sqliteFile; }

    //! Points the source keys at this database in the dialect of the given
    //! kind (1 Oracle, 2 SQL Server) and sets the source query.
    void useAsSource(const QString& query, int kind = 2);

    //! Runs SQL as the database's owner; fails the test on an error.
    void exec(const QString& sql);

    // Rows of the laboratory tables; a null QVariant writes NULL. Date-times go
    // in as the text "yyyy-MM-dd HH:mm:ss".
    void addFolder(int folderNo, const QString& dept);
    void addProgram(const QString& spCode, const QString& progName);
    void addOrder(const QString& ordNo, const QVariant& sampDate, const QString& spCode, int folderNo,
                  const QVariant& sampDesc = QVariant(), const QString& sampledBy = QString(),
                  const QString& status = QStringLiteral("Approved"));
    void addResult(const QString& ordNo, const QString& analyte, const QVariant& final, const QString& units,
                   const QDateTime& dateEnter, const QString& s = QStringLiteral("Done"),
                   const QString& lab = QString(), int testNo = 0, const QVariant& numRes = QVariant());

    //! Maps source field ids to additional-info columns ("FAC1.COLUMN") and
    //! reloads the navigator's map.
    void mapAdditionalInfo(const QList<QPair<QString, QString>>& sourceToTarget);

    //! Everything logged so far, with the "hh:mm:ss : " stamps removed.
    QStringList logLines() const;

    //! A value as SQL text for this database: NULL, a quoted text or a date-time.
    static QString literal(const QVariant& value);

private:
    void install();
    void openDatabase();

    LimsDriver m_driver;
    QTemporaryDir m_home;
    std::unique_ptr<ScratchDatabase> m_scratch;
    QString m_sqliteFile;
    QString m_sqliteConnection;
    //! The process objects of a fixture that does not share a test's own.
    std::unique_ptr<TestProcess> m_process;
    std::unique_ptr<CommonAINFOnavigator> m_navigator;
    QORConfiguration* m_activeConfig = nullptr;
    QORLoggerTXT* m_activeLogger = nullptr;
};

} // namespace limsbridge::testing
