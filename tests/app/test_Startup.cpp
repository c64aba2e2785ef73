// The startup sequence, run in this process against a fresh home folder.
#include "app/Main.h"
#include "core/AppInfo.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QDomDocument>

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

QString readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Log lines without their "hh:mm:ss : " time stamps.
QStringList logLines(const QString& path)
{
    QStringList lines;
    for (const QString& line : readFile(path).split('\n', Qt::SkipEmptyParts))
        lines << line.mid(11);
    return lines;
}

void writeConfig(const QString& home, const QString& optionsXml)
{
    QFile file(home + "/limsbridge.xml");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QTextStream(&file) << "<qorconfigurationxml><spec version=\"1\" encrypted=\"False\">x</spec><data><OPTIONS>"
                       << optionsXml << "</OPTIONS>" << "</data></qorconfigurationxml>";
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        App::setPath(m_home.path());
    }
    void TearDown() override
    {
        ShutdownProcessObjects();
        App::setPath(QString());
    }

    QString home() const { return m_home.path(); }

    QStringList runService(const QString& commandLine = "NTSERVICE")
    {
        // Two starts within one second would share a log file name.
        QDir(home() + "/log").removeRecursively();
        m_started = Main(commandLine);
        return logLines(Logger->currentFile());
    }
    bool started() const { return m_started; }

private:
    QTemporaryDir m_home;
    bool m_started = false;
};

} // namespace

TEST(StartupCommandLine, OnlyTheWholeWordSelectsServiceMode)
{
    struct Row {
        const char* commandLine;
        bool service;
    };
    const Row rows[] = {
        {"NTSERVICE", true},   {"ntservice", true},         {"NtService", true}, {" ntservice", false},
        {"NTSERVICE x", false}, {"NTSERVICE ", false}, {"", false},          {"-NTSERVICE", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsServiceCommandLine(row.commandLine), row.service) << '"' << row.commandLine << '"';
}

TEST(StartupCaption, InteractiveCaptionNamesProductAndVersion)
{
    EXPECT_TRUE(InteractiveCaption().startsWith("K52907 LIMS Interface v"));
    EXPECT_TRUE(InteractiveCaption().endsWith(" - Interactive Mode"));
}

TEST_F(Startup, FirstStartWritesEveryKeyAndTheBanner)
{
    const QStringList lines = runService();
    ASSERT_TRUE(started());

    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(readFile(home() + "/limsbridge.xml")));
    const QDomElement data = doc.documentElement().firstChildElement("data");
    auto valueOf = [&](const QString& key) {
        QDomElement e = data;
        for (const QString& part : key.split('\\')) {
            e = e.firstChildElement(part);
            if (e.isNull())
                return QStringLiteral("<missing>");
        }
        return e.text();
    };
    EXPECT_EQ(valueOf("OPTIONS\\KEEP_LOGS_FOR"), "30");
    EXPECT_EQ(valueOf("OPTIONS\\INSTANCE_SERVICE_NAME"), "LIMS Bridge");
    EXPECT_EQ(valueOf("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE"), "localhost\\qorsql");
    EXPECT_EQ(valueOf("CSV\\CSV_EXP_PLANT_ID"), "");
    EXPECT_EQ(valueOf("TARGET\\AINFO\\MAP512\\SOURCEID"), "");
    EXPECT_EQ(valueOf("TARGET\\AINFO\\MAP512\\ENABLED"), "FALSE");
    EXPECT_EQ(valueOf("TARGET\\UNITCONVERT\\UNIT4\\FROMUNIT"), QString::fromUtf8("\u00B5g/l"));
    EXPECT_EQ(valueOf("TARGET\\UNITCONVERT\\UNIT100\\FACTOR"), "1");
    EXPECT_EQ(valueOf("TARGET\\COMMENTWRITER\\ENABLED"), "TRUE");
    EXPECT_EQ(valueOf("K52907\\TEMPLATE1\\SAMPLETYPE"), "True");
    EXPECT_EQ(valueOf("K52907\\TEMPLATE3\\DB_CONN_OLE_DB_PROVIDER"), "Microsoft.Jet.OLEDB.4.0");
    EXPECT_TRUE(QRegularExpression("^\\d\\d-\\d\\d-\\d{4} 00:00:00$")
                    .match(valueOf("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN"))
                    .hasMatch());

    const QString logName = QFileInfo(Logger->currentFile()).fileName();
    EXPECT_TRUE(QRegularExpression("^\\d\\d_\\d\\d_\\d{4}__\\d\\d_\\d\\d_\\d\\d_ntservice\\.log$").match(logName).hasMatch())
        << logName.toStdString();
    EXPECT_EQ(QFileInfo(Logger->currentFile()).absolutePath(), home() + "/log");
    EXPECT_EQ(readFile(home() + "/limsbridge.log_handle"), Logger->currentFile() + "\n");

    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], "LIMS Interface");
    EXPECT_TRUE(lines[1].startsWith("LIMS Bridge version 1.0.0 (Build ")) << lines[1].toStdString();
    EXPECT_TRUE(QRegularExpression("^Build Numbers : .+ \\(Application\\)  65 \\(Type\\) 149 \\(Platform\\)$")
                    .match(lines[2])
                    .hasMatch())
        << lines[2].toStdString();
    EXPECT_EQ(lines[3], "ID: 52907");
    EXPECT_TRUE(lines[4].startsWith("Running on ")) << lines[4].toStdString();
    EXPECT_TRUE(lines.contains("Default configuration file successfully created."));
}

TEST_F(Startup, VerbosityAndRetentionAreClampedAndWrittenBack)
{
    struct Row {
        const char* verbosity;
        const char* keep;
        const char* storedVerbosity;
        const char* storedKeep;
    };
    const Row rows[] = {
        {"12", "3", "9", "7"},   {"-3", "5000", "0", "1000"}, {"abc", "", "0", "30"},
        {"2.5", "7.5", "2", "8"}, {"99999999", "-99999999", "9", "7"},
    };
    for (const Row& row : rows) {
        // An hourly run at minute 60 is never due at start: the scheduler's first
        // tick would re-read the file and apply the verbosity unclamped.
        writeConfig(home(), QString("<LOG_VERBOSITY>%1</LOG_VERBOSITY><KEEP_LOGS_FOR>%2</KEEP_LOGS_FOR>"
                                    "<AUTOMATED_IMPORT><SCHEDULE><HOURLY>YES</HOURLY>"
                                    "<HOURLY_MINUTE>60</HOURLY_MINUTE></SCHEDULE></AUTOMATED_IMPORT>")
                                .arg(row.verbosity, row.keep));
        const QStringList lines = runService();
        ASSERT_TRUE(started());
        EXPECT_EQ(Config->item("OPTIONS\\LOG_VERBOSITY"), row.storedVerbosity) << row.verbosity;
        EXPECT_EQ(Config->item("OPTIONS\\KEEP_LOGS_FOR"), row.storedKeep) << row.keep;
        EXPECT_EQ(Logger->Verbosity(), QString(row.storedVerbosity).toInt());
        EXPECT_TRUE(Config->ChangeWasMade());
        const QString retention = QString("Logs in '%1' will be removed after they are older than %2 days.")
                                      .arg((home() + "/log").toUpper(), row.storedKeep);
        EXPECT_TRUE(lines.contains(retention)) << retention.toStdString();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(QString("[Log Verbosity is set to %1, Log Date is ").arg(row.storedVerbosity));
        }));
        ShutdownProcessObjects();
    }
}

TEST_F(Startup, DiagnosticLinesAndDumpOnlyFromVerbosityTwo)
{
    for (const char* verbosity : {"1", "2"}) {
        writeConfig(home(), QString("<LOG_VERBOSITY>%1</LOG_VERBOSITY>").arg(verbosity));
        const QStringList lines = runService();
        const bool expected = QString(verbosity) == "2";
        EXPECT_EQ(lines.contains("PATH=" + home()), expected) << verbosity;
        EXPECT_EQ(lines.contains("EXENAME=limsbridge"), expected);
        EXPECT_EQ(lines.contains("COMMAND=NTSERVICE"), expected);
        EXPECT_EQ(lines.contains("TASK_UNATTENTED_APP=True"), expected);
        EXPECT_EQ(lines.contains("HELPFILE=" + home() + "/help"), expected);
        EXPECT_EQ(lines.contains("Configuration Settings :"), expected);
        EXPECT_EQ(lines.contains("OPTIONS\\LOG_VERBOSITY : 2"), expected);
        EXPECT_EQ(lines[0], "LIMS Interface");
        ShutdownProcessObjects();
    }
}

TEST_F(Startup, EncryptionSwitchIgnoresCaseButCsvSwitchesDoNot)
{
    QFile file(home() + "/limsbridge.xml");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QTextStream(&file) << "<qorconfigurationxml><spec version=\"1\" encrypted=\"False\">x</spec><data>"
                       << "<OPTIONS><ENCRYPT_PROTECT_CONFIG>yes</ENCRYPT_PROTECT_CONFIG></OPTIONS>"
                       << "<CSV><CSV_OUTPUT>yes</CSV_OUTPUT><CSV_INPUT>YES</CSV_INPUT><CSV_OUT_PATH>/tmp/out</CSV_OUT_PATH>"
                       << "</CSV></data></qorconfigurationxml>";
    file.close();
    runService();
    EXPECT_TRUE(Config->EncryptData());
    EXPECT_FALSE(Csv.CsvOutputEnabled);
    EXPECT_TRUE(Csv.CsvInputEnabled);
    EXPECT_EQ(Csv.CsvOutPath, "/tmp/out");
}

TEST_F(Startup, UnreadableConfigurationEndsWithoutTouchingTheFile)
{
    const char* broken[] = {
        "<qorconfigurationxml><spec version=\"1\"",
        "<QORConfigurationXML><spec version=\"1\" encrypted=\"False\"/><data/></QORConfigurationXML>",
        "<qorconfigurationxml><spec version=\"2\" encrypted=\"False\"/><data/></qorconfigurationxml>",
    };
    for (const char* content : broken) {
        QFile file(home() + "/limsbridge.xml");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        const QStringList lines = runService();
        EXPECT_FALSE(started()) << content;
        EXPECT_TRUE(lines.contains("PROMPT= Unable to read configuration at " + home() + "/limsbridge.xml"))
            << content;
        EXPECT_TRUE(lines.contains("BUTTONS= 48"));
        EXPECT_TRUE(lines.contains("TITLE= Unable to start LIMS Bridge"));
        EXPECT_EQ(readFile(home() + "/limsbridge.xml"), QString::fromUtf8(content));
        ShutdownProcessObjects();
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
