// Cross-reference matching at plant scale: 20 facilities x 1,000 variables and
// 100,000 laboratory results, looked up through the matcher's index and through
// the plain walk over every variable, in the same run.
//
// The plain walk costs a pass over all 20,000 variables per result, so it is
// timed on the first results until a time budget is spent; both rates are
// matched results per second. Every result the walk answers is also checked
// against the index's answer.
#include "core/Globals.h"
#include "source/CommonTypeLimsMatchRec.h"
#include "source/CommonTypeVar.h"
#include "source/CommonTypeVarRec.h"
#include "source/CustomSourceMatchFinder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>
#include <memory>
#include <vector>

using namespace limsbridge;

namespace {

constexpr int kFacilities = 20;
constexpr int kVariablesPerFacility = 1000;
constexpr int kRecords = 100000;
constexpr int kLocations = 50;
constexpr qint64 kPlainBudgetMs = 8000;

struct Query {
    QString facility;
    std::shared_ptr<CommonTypeLimsMatchRec> record;
};

QString facilityName(int f)
{
    return QString("PLANT%1").arg(f + 1, 2, 10, QChar('0'));
}

// Each facility has 50 sampling points with 20 analytes each; one analyte in
// ten carries a second name ("~"), one variable in fifty a user-defined id.
void fillMatcher(CommonTypeVar& matcher)
{
    for (int f = 0; f < kFacilities; ++f) {
        for (int v = 0; v < kVariablesPerFacility; ++v) {
            auto record = std::make_shared<CommonTypeVarRec>();
            record->setFacilID(facilityName(f));
            record->setId(1000 + v);
            record->setVartype("P");
            record->setLimsLocation(QString("SP-%1").arg(v % kLocations));
            const QString test = QString("AN%1").arg(v / kLocations);
            record->setLimsTest(v % 10 == 0 ? test + "~" + test + "-ALT" : test);
            if (v % 50 == 7)
                record->setLimsUD1("GRAB");
            matcher.addRecord(record);
        }
    }
}

// About 70% of the results name a sampling point and analyte that exist.
std::vector<Query> makeQueries()
{
    QRandomGenerator random(52907);
    std::vector<Query> queries;
    queries.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        auto record = std::make_shared<CommonTypeLimsMatchRec>();
        const int v = int(random.bounded(kVariablesPerFacility));
        const bool known = random.bounded(10) < 7;
        record->LimsLocation = known ? QString("SP-%1").arg(v % kLocations) : QString("FIELD-%1").arg(v);
        record->LimsTest = QString("AN%1").arg(v / kLocations);
        if (random.bounded(20) == 0)
            record->LimsUD1 = QString("GRAB");
        record->LimsResult = QString::number(random.bounded(1000) / 10.0);
        queries.push_back({facilityName(int(random.bounded(kFacilities))), record});
    }
    return queries;
}

QString matchList(const CommonTypeVar& matcher, const Query& query)
{
    CustomSourceMatchFinder finder;
    if (!finder.MatchExists(matcher, query.record, query.facility))
        return QString();
    QString keys;
    for (; !finder.EOF_(); finder.MoveNext()) {
        const auto variable = finder.CurrentTypeVarRec();
        keys += variable->gFacilID() + "~" + QString::number(variable->gID()) + "\t";
    }
    return keys;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CommonTypeVar matcher;
    fillMatcher(matcher);
    const std::vector<Query> queries = makeQueries();

    matcher.setIndexedLookups(true);
    matchList(matcher, queries.front()); // builds the index outside the timing
    std::vector<QString> indexedAnswers;
    indexedAnswers.reserve(queries.size());
    int indexedMatched = 0;
    QElapsedTimer timer;
    timer.start();
    for (const Query& query : queries) {
        indexedAnswers.push_back(matchList(matcher, query));
        indexedMatched += indexedAnswers.back().isEmpty() ? 0 : 1;
    }
    const double indexedSeconds = double(timer.nsecsElapsed()) / 1e9;

    matcher.setIndexedLookups(false);
    int plainDone = 0;
    int plainMatched = 0;
    int mismatches = 0;
    timer.restart();
    for (const Query& query : queries) {
        const QString answer = matchList(matcher, query);
        plainMatched += answer.isEmpty() ? 0 : 1;
        mismatches += answer == indexedAnswers[size_t(plainDone)] ? 0 : 1;
        ++plainDone;
        if (timer.elapsed() > kPlainBudgetMs)
            break;
    }
    const double plainSeconds = double(timer.nsecsElapsed()) / 1e9;

    const double indexedRate = indexedMatched / indexedSeconds;
    const double plainRate = plainMatched / plainSeconds;
    std::printf("variables: %d facilities x %d, results: %d\n", kFacilities, kVariablesPerFacility, kRecords);
    std::printf("indexed lookup: %d of %d results matched in %.3f s: %.0f matched records/s\n", indexedMatched,
                kRecords, indexedSeconds, indexedRate);
    std::printf("plain walk: %d of %d results matched in %.3f s (first %d results): %.0f matched records/s\n",
                plainMatched, plainDone, plainSeconds, plainDone, plainRate);
    std::printf("answers differing between the two: %d\n", mismatches);
    std::printf("speedup: %.1f\n", indexedRate / plainRate);
    return mismatches == 0 ? 0 : 1;
}
