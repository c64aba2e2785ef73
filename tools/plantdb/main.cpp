// lb-plantdb: creates a substitute plant database on a PostgreSQL server and
// fills it from a small text description, for trials, the demo and the
// benchmarks.
//
//   lb-plantdb [--host H] [--port P] [--user U] [--password W] [--drop]
//              [--sql install.sql] --database NAME [DESCRIPTION]
//
// Server settings default to LIMSBRIDGE_TEST_PG ("host=... port=... user=...").
// The description ("-" for standard input) has one item per line; words are
// separated by blanks, "double quotes" hold blanks, # starts a comment:
//
//   facility  PLANT1 "Plant One"
//   timezone  5 "Eastern Standard Time"
//   bias      5 2024 300 240 2024-03-10T02:00:00 2024-11-03T02:00:00
//   collector "LIMS Bridge" id=1 timezone=5 version=1.0.0 writeas=LAB disabled
//   symbol    "<" 1
//   user      ADMIN secret Super
//   lockdate  PLANT1 2024-01-01
//   lastrun   1 PLANT1 2024-03-01T00:00:00
//   setting   PLANT1 LBXREF_12 ABC
//   location  PLANT1 Plant                    (prints the new locid)
//   location  PLANT1 "Basin 1" parent=1
//   infocolumn PLANT1 SAMPLE_ID varchar 40
//   variable  PLANT1 Ammonia type=P loc=INLET test=NH3~AMMONIA ud1=X ud2= ud3=
//             collector=1 units=mg/L decplaces=2 approval=1 varnum=10 locid=3 disabled
//   symbolrule PLANT1 <varid> <position> <rule> [factor]
//   logins    <password>                      (QORDBA, QORROOT and one per facility)
//   passwordfile <path> <password>            (writes the program's password file tzpo.pzt)
//
// A variable line prints "variable <facility> <name> <varid>".

#include "support/PlantDb.h"
#include "target/ConnectionManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QTextStream>

#include <cstdio>
#include <optional>

using limsbridge::testing::PgServer;
using limsbridge::testing::PlantDb;
using limsbridge::testing::PlantVariable;

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

//! Splits a line into words; "double quotes" keep blanks, # outside quotes ends the line.
QStringList splitWords(const QString& line)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (const QChar ch : line) {
        if (quoted) {
            if (ch == '"')
                quoted = false;
            else
                word += ch;
        } else if (ch == '"') {
            quoted = true;
            inWord = true;
        } else if (ch == '#') {
            break;
        } else if (ch.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += ch;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

QDateTime parseDate(const QString& text)
{
    QDateTime when = QDateTime::fromString(text, Qt::ISODate);
    if (!when.isValid())
        when = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    return when;
}

//! The key=value words after the fixed ones; a word without "=" maps to "yes".
QMap<QString, QString> options(const QStringList& words, int first)
{
    QMap<QString, QString> result;
    for (int i = first; i < words.size(); ++i) {
        const qsizetype eq = words[i].indexOf('=');
        if (eq < 0)
            result.insert(words[i].toLower(), "yes");
        else
            result.insert(words[i].left(eq).toLower(), words[i].mid(eq + 1));
    }
    return result;
}

std::optional<int> optionalNumber(const QMap<QString, QString>& opts, const QString& key)
{
    if (!opts.contains(key) || opts.value(key).isEmpty())
        return std::nullopt;
    return opts.value(key).toInt();
}

//! Applies one description line; false with a message on failure.
bool applyLine(PlantDb& db, const QStringList& w, QString& message)
{
    const QString kind = w[0].toLower();
    auto need = [&](int count) {
        if (w.size() >= count)
            return true;
        message = kind + " needs at least " + QString::number(count - 1) + " values";
        return false;
    };
    bool ok = true;
    if (kind == "facility") {
        if (!need(3))
            return false;
        ok = db.addFacility(w[1], w[2]);
    } else if (kind == "timezone") {
        if (!need(3))
            return false;
        ok = db.addTimeZone(w[1].toInt(), w[2]);
    } else if (kind == "bias") {
        if (!need(4))
            return false;
        ok = db.setTimeZoneBias(w[1].toInt(), w[2].toInt(), w[3].toInt(), w.size() > 4 ? w[4].toInt() : w[3].toInt(),
                                w.size() > 5 ? parseDate(w[5]) : QDateTime(), w.size() > 6 ? parseDate(w[6]) : QDateTime());
    } else if (kind == "collector") {
        if (!need(2))
            return false;
        const auto opts = options(w, 2);
        const int id = db.addCollector(w[1], opts.value("id").toInt(), opts.value("timezone").toInt(),
                                       opts.value("version"), !opts.contains("disabled"), opts.value("writeas"));
        ok = id != 0;
        if (ok)
            out() << "collector " << w[1] << " " << id << Qt::endl;
    } else if (kind == "symbol") {
        if (!need(2))
            return false;
        ok = db.addSymbol(w[1], w.size() > 2 ? w[2].toInt() : 0) != 0;
    } else if (kind == "user") {
        if (!need(3))
            return false;
        ok = db.addUser(w[1], w[2], w.size() > 3 ? w[3] : QString("Super"));
    } else if (kind == "lockdate") {
        if (!need(3))
            return false;
        ok = db.setLockDate(w[1], parseDate(w[2]));
    } else if (kind == "lastrun") {
        if (!need(4))
            return false;
        ok = db.setLastRun(w[1].toInt(), w[2], parseDate(w[3]));
    } else if (kind == "setting") {
        if (!need(4))
            return false;
        ok = db.setSetting(w[1], w[2], w[3]);
    } else if (kind == "location") {
        if (!need(3))
            return false;
        const int id = db.addLocation(w[1], w[2], options(w, 3).value("parent").toInt());
        ok = id != 0;
        if (ok)
            out() << "location " << w[1] << " " << w[2] << " " << id << Qt::endl;
    } else if (kind == "infocolumn") {
        if (!need(3))
            return false;
        ok = db.addInfoColumn(w[1], w[2], w.size() > 3 ? w[3] : QString("varchar"), w.size() > 4 ? w[4].toInt() : 255);
    } else if (kind == "variable") {
        if (!need(3))
            return false;
        const auto opts = options(w, 3);
        PlantVariable v;
        v.facility = w[1];
        v.name = w[2];
        v.vartype = opts.value("type", "P");
        v.limsLoc = opts.value("loc");
        v.limsTest = opts.value("test");
        v.limsUd1 = opts.value("ud1");
        v.limsUd2 = opts.value("ud2");
        v.limsUd3 = opts.value("ud3");
        v.collector = opts.value("collector").toInt();
        v.enabled = !opts.contains("disabled");
        v.units = opts.value("units");
        v.decplaces = opts.value("decplaces", "2").toInt();
        v.approval = optionalNumber(opts, "approval");
        v.varnum = optionalNumber(opts, "varnum");
        v.locid = optionalNumber(opts, "locid");
        v.description = opts.value("description");
        const int id = db.addVariable(v);
        ok = id != 0;
        if (ok)
            out() << "variable " << w[1] << " " << w[2] << " " << id << Qt::endl;
    } else if (kind == "symbolrule") {
        if (!need(5))
            return false;
        ok = db.setSymbolRule(w[1], w[2].toInt(), w[3].toInt(), w[4].toInt(), w.size() > 5 ? w[5].toDouble() : 0.0);
    } else if (kind == "logins") {
        if (!need(2))
            return false;
        ok = db.grantLogins(w[1]);
    } else if (kind == "passwordfile") {
        if (!need(3))
            return false;
        QFile file(w[1]);
        ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
             file.write(limsbridge::ConnectionManager::EncodePasswordLine(w[2]) + "\r\n") > 0;
        if (!ok) {
            message = "cannot write " + w[1];
            return false;
        }
    } else {
        message = "unknown item '" + w[0] + "'";
        return false;
    }
    if (!ok)
        message = db.lastError();
    return ok;
}

int usage()
{
    err() << "usage: lb-plantdb [--host H] [--port P] [--user U] [--password W] [--drop] [--sql install.sql]\n"
             "                  --database NAME [DESCRIPTION | -]\n";
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    PgServer server = limsbridge::testing::testServer();
    if (server.host.isEmpty())
        server.host = "127.0.0.1";
    if (server.user.isEmpty())
        server.user = "postgres";
    QString database;
    QString script = PlantDb::installScriptPath();
    QString description;
    bool drop = false;

    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() { return i + 1 < args.size() ? args[++i] : QString(); };
        if (arg == "--host")
            server.host = value();
        else if (arg == "--port")
            server.port = value().toInt();
        else if (arg == "--user")
            server.user = value();
        else if (arg == "--password")
            server.password = value();
        else if (arg == "--database")
            database = value();
        else if (arg == "--sql")
            script = value();
        else if (arg == "--drop")
            drop = true;
        else if (arg == "--help" || arg == "-h")
            return usage();
        else if (description.isEmpty() && (!arg.startsWith("--") || arg == "-"))
            description = arg;
        else
            return usage();
    }
    if (database.isEmpty())
        return usage();

    PlantDb db(server, database);
    if (!db.createDatabase(drop)) {
        err() << "cannot create database " << database << ": " << db.lastError() << Qt::endl;
        return 1;
    }
    if (!db.install(script)) {
        err() << "cannot install " << script << ": " << db.lastError() << Qt::endl;
        return 1;
    }
    if (description.isEmpty()) {
        out() << "installed " << db.dataSource() << Qt::endl;
        return 0;
    }

    QFile file;
    const bool opened = description == "-" ? file.open(stdin, QIODevice::ReadOnly | QIODevice::Text)
                                           : (file.setFileName(description), file.open(QIODevice::ReadOnly | QIODevice::Text));
    if (!opened) {
        err() << "cannot read " << description << Qt::endl;
        return 1;
    }
    QTextStream in(&file);
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        const QStringList words = splitWords(line);
        if (words.isEmpty())
            continue;
        QString message;
        if (!applyLine(db, words, message)) {
            err() << description << ":" << lineNumber << ": " << message << Qt::endl;
            return 1;
        }
    }
    out() << "installed " << db.dataSource() << Qt::endl;
    return 0;
}
