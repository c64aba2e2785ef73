// The import workflows: prepare (connect, check the collector, gather the
// variables with their last-run and lock dates), choose the date range, run
// the import engine and report the outcome as activity lines.
#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace limsbridge {

class CommonVarGatherer;
class DbConnection;

//! The super-user login of interactive imports, shown by the user interface.
class SuperUserLogin {
public:
    virtual ~SuperUserLogin() = default;
    //! True when valid credentials were given; userName receives the name entered.
    virtual bool askCredentials(DbConnection& rootConnection, QString& userName) = 0;
};
//! Installs the login (null: nobody can answer, so a protected import is cancelled).
void setSuperUserLogin(SuperUserLogin* login);

//! The run that writes a CSV file instead of the plant database, when CSV output is on.
using CsvOutputRun = std::function<void(CommonVarGatherer& gatherer, bool testMode)>;
void setCsvOutputRun(CsvOutputRun run);

void ImportAll(bool testMode);
//! A filled gatherer, or null when the preparation stopped.
std::unique_ptr<CommonVarGatherer> GatherVariablesForImport();
//! True when the engine reported success.
bool RunImportToTarget(CommonVarGatherer& gatherer, bool testMode);
void ValidateCollectorVersion();
void CheckCollectorVersion(const QString& collectorVersion);

} // namespace limsbridge
