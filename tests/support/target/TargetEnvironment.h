// Everything a test needs to run the program's own code against a substitute
// plant database: a scratch database with the plant schema installed, logins
// whose password sits in a password file of a temporary application home, and
// the process-wide logger, message boxes and configuration with every key
// registered and the target connection settings pointing at that database.
#pragma once

#include "support/PgTestServer.h"
#include "support/PlantDb.h"
#include "support/target/TestProcess.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace limsbridge {
class QORConfiguration;
class QORLoggerTXT;
class QORmsgBoxHandler;
} // namespace limsbridge

namespace limsbridge::testing {

//! Writes the first line of a password file that carries the password.
QByteArray encodePasswordLine(const QString& password);

class TargetEnvironment {
public:
    //! The password of every plant-database login made by the tests.
    static constexpr const char* kPassword = "Plant#Test1";

    //! dbType 1 writes the Oracle dialect, 2 the SQL Server dialect. Call
    //! LB_REQUIRE_PG() before constructing one.
    explicit TargetEnvironment(int dbType = 2);
    ~TargetEnvironment();

    PlantDb& plant() { return *m_plant; }
    ScratchDatabase& scratch() { return m_scratch; }
    QORConfiguration& config() { return m_process->config(); }
    QORLoggerTXT& logger() { return m_process->logger(); }
    QString home() const { return m_home.path(); }

    //! Adds a facility and makes its login (the login carries the test password).
    bool addFacility(const QString& fileName, const QString& name);

    //! Everything logged so far, with the "hh:mm:ss : " stamps removed.
    QStringList logLines() const;

private:
    QTemporaryDir m_home;
    ScratchDatabase m_scratch;
    std::unique_ptr<PlantDb> m_plant;
    std::unique_ptr<TestProcess> m_process;
};

} // namespace limsbridge::testing
