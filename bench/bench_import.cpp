// One import run at plant scale: a substitute plant database with 10
// facilities x 200 variables (100 daily, 100 hourly), a laboratory database
// with 20,000 results (ten per variable, each in its own day or hour), and one
// StartImport. Against it, the limit of this machine's database: the same
// number of the same procedure calls the facility writer makes per value (a
// seek, then a write), sent in a plain loop over one connection, half of it
// before the import and half after.
//
// Prints values written per second for both, and as its last line
// "ratio: <import/plain loop>".
#include "platform/ProcessTimeZone.h"
#include "source/LimsFixture.h"

#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "import/CommonImport.h"
#include "platform/DbConnection.h"
#include "source/CustomConfiguration.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonLastRun.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"
#include "target/DataDDInt.h"
#include "target/DatatblInt.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

constexpr int kFacilities = 10;
constexpr int kVariablesPerFacility = 200; // the first half daily, the second hourly
constexpr int kResultsPerVariable = 10;
constexpr int kCollector = 1;

QString facilityName(int f) {
    return QString("FAC%1").arg(f + 1, 2, 10, QChar('0'));
}

bool isHourly(int v) {
    return v >= kVariablesPerFacility / 2;
}

struct Plant {
    // varids[f][v]
    std::vector<std::vector<int>> varids;
};

bool buildPlant(TargetEnvironment& env, Plant& plant) {
    if (!env.plant().addTimeZone(1, "Eastern Standard Time") ||
        env.plant().addCollector("LIMS", kCollector, 1, "1.0", true, "LabBot") != kCollector)
        return false;
    plant.varids.assign(kFacilities, {});
    for (int f = 0; f < kFacilities; ++f) {
        if (!env.addFacility(facilityName(f), "Plant " + QString::number(f + 1)) ||
            !env.plant().setLockDate(facilityName(f), QDateTime(QDate(2020, 1, 1), QTime(0, 0))))
            return false;
        for (int v = 0; v < kVariablesPerFacility; ++v) {
            PlantVariable variable;
            variable.facility = facilityName(f);
            variable.name = "V" + QString::number(v);
            variable.vartype = isHourly(v) ? "H" : "P";
            variable.limsLoc = "LOC" + QString::number(f + 1);
            variable.limsTest = "T" + QString::number(v);
            variable.collector = kCollector;
            variable.units = "mg/L";
            variable.decplaces = 2;
            variable.approval = 2;
            const int id = env.plant().addVariable(variable);
            if (id <= 0)
                return false;
            plant.varids[f].push_back(id);
        }
    }
    return true;
}

// 20,000 results: result k of variable v at facility f is sampled on day k+1
// at 09:00 (daily) or on 1 March at hour 6+k (hourly).
void buildLaboratory(LimsFixture& lims) {
    lims.addFolder(1, "Lab");
    QString programs = "INSERT INTO SAMPLE_PROGRAMS (SP_CODE, PROGNAME) SELECT 'P' || f, 'LOC' || f FROM "
                       "generate_series(1, " + QString::number(kFacilities) + ") AS f";
    lims.exec(programs);
    const QString series = "FROM generate_series(1, " + QString::number(kFacilities) + ") AS f, generate_series(0, " +
                           QString::number(kVariablesPerFacility - 1) + ") AS v, generate_series(0, " +
                           QString::number(kResultsPerVariable - 1) + ") AS k";
    const QString sampled = "CASE WHEN v < " + QString::number(kVariablesPerFacility / 2) +
                            " THEN timestamp '2024-03-01 09:00' + k * interval '1 day' "
                            "ELSE timestamp '2024-03-01 06:15' + k * interval '1 hour' END";
    lims.exec("INSERT INTO ORDERS (ORDNO, SAMPDATE, SAMPLEDBY, SP_CODE, SAMPDESC, FOLDERNO, STATUS) SELECT "
              "f || '-' || v || '-' || k, " + sampled + ", 'amy', 'P' || f, NULL, 1, 'Approved' " + series);
    lims.exec("INSERT INTO RESULTS (ORDNO, RN2, ANALYTE, TESTNO, FINAL, UNITS, DATEENTER, S, NUMRES) SELECT "
              "f || '-' || v || '-' || k, 'North', 'T' || v, k, ((v * 10 + k) / 4.0)::text, 'mg/L', "
              "timestamp '2024-03-12 08:00', 'Done', NULL " + series);
}

std::unique_ptr<CommonVarGatherer> readGatherer() {
    ConnectionManager manager;
    if (!ConfigureConnectionManager(manager))
        return nullptr;
    DbConnection root;
    manager.ConfigCnn4QORROOT(root);
    root.Open();
    auto gatherer = std::make_unique<CommonVarGatherer>();
    if (!gatherer->ReadZuriVARU(kCollector, root) || !gatherer->ReadAboutCollector(kCollector, root))
        return nullptr;
    gatherer->LookupLastRun->setDefaultStart(QDateTime(QDate(2024, 3, 12), QTime(0, 0)));
    gatherer->LookupLastRun->setDefaultEnd(QDateTime(QDate(2024, 3, 13), QTime(0, 0)));
    QStringList facilities;
    for (int f = 0; f < kFacilities; ++f)
        facilities << facilityName(f);
    if (!gatherer->LookupLastRun->ReadZuriVARUFacilLockDates(facilities.join('~')))
        return nullptr;
    return gatherer;
}

// The writer's per-value procedure calls, over one connection: seek the stored
// row, then write; values first to first + count - 1 of a fixed sequence.
// Returns the number of values written.
int plainLoop(const Plant& plant, int first, int count) {
    ConnectionManager manager;
    ConfigureConnectionManager(manager);
    DbConnection connection;
    manager.ConfigCnn4FACILITY(connection, facilityName(0));
    connection.Open();
    DatatblInt daily;
    daily.Connect(connection);
    DataDDInt hourly;
    hourly.ConnectTo(connection, 24);
    int written = 0;
    for (int i = first; i < first + count; ++i) {
        const int v = i % kVariablesPerFacility;
        const int k = i / kVariablesPerFacility;
        const int id = plant.varids[0][v];
        const double number = (v * 10 + k) / 4.0;
        const QString text = QString::number(number);
        if (isHourly(v)) {
            const QDateTime slot(QDate(2023, 1, 1).addDays(k / 24), QTime(k % 24, 0));
            QDateTime stamp;
            double value = 0;
            QString stored;
            qint32 status = 0;
            hourly.SeekData(slot, id, stamp, value, stored, nullptr, nullptr, &status);
            hourly.WriteData(slot, slot, id, number, text, 2);
        } else {
            const QDateTime day(QDate(2023, 1, 1).addDays(k), QTime(0, 0));
            double value = 0;
            QString stored;
            qint32 status = 0;
            daily.SeekDateVarId(day, id, value, stored, nullptr, nullptr, nullptr, &status);
            daily.WriteData(day, id, number, text, 2);
        }
        ++written;
    }
    return written;
}

} // namespace

int main(int argc, char** argv) {
    // As the program does at startup.
    limsbridge::PinProcessTimeZone();
    QCoreApplication app(argc, argv);
    if (!testServer().available) {
        std::fprintf(stderr, "LIMSBRIDGE_TEST_PG is not set\n");
        return 2;
    }
    TargetEnvironment env(2);
    env.logger().setVerbosity(1);
    env.logger().setBufferLength(4096);
    LimsFixture lims(LimsDriver::PostgreSql, env.config(), env.logger());
    lims.useAsSource(DefaultSourceQuery(), 2);
    env.config().setItem("SOURCE\\RECOVERY\\SECONDS", "0");
    env.config().setItem("TARGET\\RECOVERY\\SECONDS", "0");
    ServiceMode = false;

    Plant plant;
    if (!buildPlant(env, plant)) {
        std::fprintf(stderr, "building the plant database failed: %s\n",
                     qPrintable(env.plant().lastError()));
        return 1;
    }
    buildLaboratory(lims);
    std::unique_ptr<CommonVarGatherer> gatherer = readGatherer();
    if (!gatherer) {
        std::fprintf(stderr, "reading the gatherer failed\n");
        return 1;
    }

    // The machine's speed drifts over seconds; half of the plain loop runs
    // before the import and half after, so that both see the same drift.
    const int expected = kFacilities * kVariablesPerFacility * kResultsPerVariable;
    QElapsedTimer timer;
    timer.start();
    int plainValues = plainLoop(plant, 0, expected / 2);
    double plainSeconds = timer.nsecsElapsed() / 1e9;

    timer.restart();
    CommonImport import;
    const bool ok = import.StartImport(*gatherer, false);
    const double importSeconds = timer.nsecsElapsed() / 1e9;
    const int values = import.statistics().LogicalWrites();
    // The plain loop writes into 2023, the import into 2024.
    const int stored = env.plant().scalar("SELECT (SELECT count(*) FROM fac01.datatbl WHERE datestamp >= "
                                          "'2024-01-01') + (SELECT count(*) FROM fac01.dataddh WHERE "
                                          "datestamp >= '2024-01-01')").toInt();
    if (!ok || values != expected) {
        std::fprintf(stderr, "the import wrote %d values (run %s)\n", values, ok ? "completed" : "stopped");
        return 1;
    }

    timer.restart();
    plainValues += plainLoop(plant, expected / 2, expected - expected / 2);
    plainSeconds += timer.nsecsElapsed() / 1e9;

    const double importRate = values / importSeconds;
    const double plainRate = plainValues / plainSeconds;
    std::printf("facilities: %d, variables: %d, results: %d, rows of FAC01: %d\n", kFacilities,
                kFacilities * kVariablesPerFacility, values, stored);
    std::printf("import: %d values in %.2f s, %.0f values/s (source reads %.2f s)\n", values, importSeconds,
                importRate, import.statistics().ReadSeconds());
    std::printf("plain loop (seek + write per value, one connection, half before and half after the import): "
                "%d values in %.2f s, %.0f values/s\n",
                plainValues, plainSeconds, plainRate);
    std::printf("ratio: %.2f\n", importRate / plainRate);
    return 0;
}
