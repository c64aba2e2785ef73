// The configuration store against real files in a temporary folder, logging
// through a real logger whose file the tests read back.
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

using namespace limsbridge;

// Readable failure messages for texts.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kDashes = ">>>--------------------------------------------------------------";

struct KeyDefault {
    const char* key;
    const char* value;
};

// A small catalogue like the one startup registers.
constexpr KeyDefault kDefaults[] = {
    {"OPTIONS", ""},
    {"OPTIONS\\LOG_VERBOSITY", "0"},
    {"OPTIONS\\KEEP_LOGS_FOR", "30"},
    {"OPTIONS\\ENCRYPT_PROTECT_CONFIG", "NO"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY_HOUR", "6"},
    {"CSV\\CSV_EXP_PWD", ""},
    {"SOURCE\\DB_CONN_PASSWORD", "secret-default"},
    {"UNITS\\DEGREE", "°C"},
};

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QString fileWithData(const QString& dataXml, const QString& version = "1", const QString& root = "qorconfigurationxml")
{
    return "<" + root + "><spec version=\"" + version + "\" encrypted=\"False\">ref</spec><data>" + dataXml +
           "</data></" + root + ">";
}

QDomElement dataElementOf(const QString& path, QDomDocument& document)
{
    EXPECT_TRUE(document.setContent(readBytes(path)));
    return document.documentElement().firstChildElement("data");
}

QStringList childNames(const QDomElement& element)
{
    QStringList names;
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        names << child.tagName();
    return names;
}

class Configuration : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_logger.setLogPath(m_dir.path() + "/log");
        m_logger.setBufferLength(1);
        m_logger.setVerbosity(9);
        m_logger.setEnabled(true);
        m_path = m_dir.path() + "/limsbridge.xml";
        setUp(m_config);
    }

    void setUp(QORConfiguration& config)
    {
        config.setLogHandler(&m_logger);
        config.setPath(m_path);
        for (const KeyDefault& entry : kDefaults)
            config.DefineTree(QString::fromUtf8(entry.key), QString::fromUtf8(entry.value));
    }

    // The log lines written so far, without their "hh:mm:ss : " time stamps.
    QStringList logLines() const
    {
        QStringList lines;
        if (m_logger.currentFile().isEmpty())
            return lines;
        const QString text = QString::fromUtf8(readBytes(m_logger.currentFile()));
        for (const QString& line : text.split('\n', Qt::SkipEmptyParts))
            lines << line.mid(11);
        return lines;
    }

    // A fresh store with the same catalogue reading the same file.
    std::unique_ptr<QORConfiguration> reread()
    {
        auto other = std::make_unique<QORConfiguration>();
        setUp(*other);
        EXPECT_TRUE(other->ReadConfig());
        return other;
    }

    QTemporaryDir m_dir;
    QORLoggerTXT m_logger;
    QORConfiguration m_config;
    QString m_path;
};

} // namespace

TEST_F(Configuration, MissingFileIsCreatedWithTheDefaultsAndRead)
{
    m_config.setEncryptData(true); // a default file is never encrypted
    m_config.setItem("OPTIONS\\LOG_VERBOSITY", "3");
    ASSERT_TRUE(m_config.ReadConfig());
    EXPECT_FALSE(m_config.ChangeWasMade());
    EXPECT_EQ(logLines(), (QStringList{"Configuration file does not exist at " + m_path,
                                       "Attempting to create a default configuration file...",
                                       "Default configuration file successfully created."}));

    const QString text = QString::fromUtf8(readBytes(m_path));
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<qorconfigurationxml>\n"));
    EXPECT_TRUE(text.contains("<spec version=\"1\" encrypted=\"False\">")) << text.toStdString();
    EXPECT_TRUE(text.contains("<LOG_VERBOSITY>3</LOG_VERBOSITY>")) << text.toStdString();
    EXPECT_TRUE(text.contains("<CSV_EXP_PWD/>")) << text.toStdString();

    QDomDocument document;
    const QDomElement data = dataElementOf(m_path, document);
    EXPECT_EQ(document.documentElement().firstChildElement().tagName(), "spec");
    EXPECT_EQ(data.firstChildElement("UNITS").firstChildElement("DEGREE").text(), QString::fromUtf8("°C"));
    EXPECT_EQ(m_config.item("OPTIONS\\LOG_VERBOSITY"), "3");
}

TEST_F(Configuration, DefaultFileThatCannotBeWrittenFailsTheRead)
{
    const struct {
        const char* name;
        QString path;
    } rows[] = {{"missing folder", m_dir.path() + "/no/such/folder/limsbridge.xml"}, {"empty path", "   "}};
    for (const auto& row : rows) {
        QORConfiguration config;
        setUp(config);
        config.setPath(row.path);
        EXPECT_EQ(config.path(), row.path.trimmed()) << row.name;
        const qsizetype before = logLines().size();
        EXPECT_FALSE(config.ReadConfig()) << row.name;
        const QStringList lines = logLines().mid(before);
        ASSERT_EQ(lines.size(), 8) << row.name;
        EXPECT_EQ(lines[0], "Configuration file does not exist at " + row.path.trimmed()) << row.name;
        EXPECT_EQ(lines[2], kDashes) << row.name;
        EXPECT_EQ(lines[3], "XMLTree.SaveXML returned 0 in QORConfiguration.SaveXML()") << row.name;
        EXPECT_EQ(lines[4], "    Details:") << row.name;
        EXPECT_FALSE(lines[5].isEmpty()) << row.name;
        EXPECT_EQ(lines[6], kDashes) << row.name;
        EXPECT_EQ(lines[7], "Unable to create default configuration file in QORConfiguration.ReadConfig().") << row.name;
    }
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/no"));
}

TEST_F(Configuration, FileIsReadOverTheDefaults)
{
    writeBytes(m_path, fileWithData("<OPTIONS><LOG_VERBOSITY>5</LOG_VERBOSITY><FOO>bar</FOO>"
                                    "<AUTOMATED_IMPORT><SCHEDULE><DAILY_HOUR>17</DAILY_HOUR></SCHEDULE>"
                                    "</AUTOMATED_IMPORT></OPTIONS><SOURCE/>")
                           .toUtf8());
    m_config.setItem("OPTIONS\\KEEP_LOGS_FOR", "45");
    ASSERT_TRUE(m_config.ReadConfig());
    EXPECT_FALSE(m_config.ChangeWasMade());
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
    EXPECT_EQ(m_config.item("OPTIONS\\LOG_VERBOSITY"), "5");
    EXPECT_EQ(m_config.item("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY_HOUR"), "17");
    EXPECT_EQ(m_config.item("OPTIONS\\KEEP_LOGS_FOR"), "45") << "missing from the file: keeps its current value";
    EXPECT_EQ(m_config.item("SOURCE\\DB_CONN_PASSWORD"), "secret-default");
    EXPECT_EQ(m_config.item("OPTIONS"), "") << "a branch holds no text of its own";
    EXPECT_FALSE(m_config.ItemExists("OPTIONS\\FOO"));

    ASSERT_TRUE(m_config.SaveConfig());
    QDomDocument document;
    const QDomElement options = dataElementOf(m_path, document).firstChildElement("OPTIONS");
    EXPECT_TRUE(options.firstChildElement("FOO").isNull()) << "elements of no defined key disappear on save";
    EXPECT_EQ(options.firstChildElement("KEEP_LOGS_FOR").text(), "45") << "and missing ones are written";
    EXPECT_EQ(options.firstChildElement("LOG_VERBOSITY").text(), "5");
}

TEST_F(Configuration, ElementOrderFollowsTheKeyTable)
{
    ASSERT_TRUE(m_config.SaveConfig());
    QStringList expected;
    HashTable<QString> table;
    table.SetSize(4096);
    for (const KeyDefault& entry : kDefaults)
        table.Add(QString::fromUtf8(entry.key), QString());
    for (const QString& key : table.Keys()) {
        const QString top = key.section('\\', 0, 0);
        if (!expected.contains(top))
            expected << top;
    }
    QDomDocument document;
    EXPECT_EQ(childNames(dataElementOf(m_path, document)), expected);
    EXPECT_EQ(childNames(document.documentElement()), (QStringList{"spec", "data"}));
}

TEST_F(Configuration, ValuesSurviveASaveAndARead)
{
    const struct {
        const char* name;
        QString value;
    } rows[] = {
        {"empty", ""},
        {"blanks around", "  padded  "},
        {"blanks only", "   "},
        {"markup characters", "a < b & c > d \"quoted\" 'single'"},
        {"line breaks", "SELECT *\r\nFROM RESULTS\nWHERE X = '#SD#'\t"},
        {"code page characters", QString::fromUtf8("°C µg/l € ‰")},
        {"control characters of a scrambled password", QString::fromLatin1("|~\x01\x7f\x1f\x0b\x80zz")},
        {"CDATA end", "]]>"},
    };
    for (const bool encrypted : {false, true}) {
        for (const auto& row : rows) {
            const std::string name = std::string(row.name) + (encrypted ? " (encrypted)" : "");
            m_config.setEncryptData(encrypted);
            m_config.setItem("CSV\\CSV_EXP_PWD", row.value);
            ASSERT_TRUE(m_config.SaveConfig()) << name;
            EXPECT_FALSE(m_config.ChangeWasMade()) << name;
            const auto other = reread();
            EXPECT_EQ(other->item("CSV\\CSV_EXP_PWD"), row.value) << name;
            EXPECT_EQ(other->item("UNITS\\DEGREE"), QString::fromUtf8("°C")) << name;
        }
    }
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_F(Configuration, EncryptedFileHidesTheKeysAndReadsBack)
{
    m_config.setItem("SOURCE\\DB_CONN_PASSWORD", "Top$ecret");
    m_config.setEncryptData(true);
    ASSERT_TRUE(m_config.SaveConfig());

    const QByteArray bytes = readBytes(m_path);
    EXPECT_FALSE(bytes.contains("Top$ecret"));
    EXPECT_FALSE(bytes.contains("DB_CONN_PASSWORD"));
    EXPECT_TRUE(bytes.contains("<spec version=\"1\" encrypted=\"True\">")) << bytes.toStdString();
    QDomDocument document;
    const QDomElement data = dataElementOf(m_path, document);
    EXPECT_TRUE(data.firstChildElement().isNull()) << "data holds no child elements";
    EXPECT_FALSE(data.text().trimmed().isEmpty());

    const auto other = reread();
    EXPECT_EQ(other->item("SOURCE\\DB_CONN_PASSWORD"), "Top$ecret");
    EXPECT_EQ(other->item("OPTIONS\\KEEP_LOGS_FOR"), "30");
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_F(Configuration, UndecryptableDataKeepsTheCurrentValues)
{
    m_config.setItem("SOURCE\\DB_CONN_PASSWORD", "Top$ecret");
    m_config.setItem("OPTIONS\\LOG_VERBOSITY", "7");
    m_config.setEncryptData(true);
    ASSERT_TRUE(m_config.SaveConfig());
    QDomDocument document;
    const QString cipherText = dataElementOf(m_path, document).text().trimmed();
    ASSERT_GT(cipherText.size(), 80);

    const struct {
        const char* name;
        QString data;
    } rows[] = {
        {"one character changed",
         cipherText.left(60) + (cipherText[60] == 'A' ? "B" : "A") + cipherText.mid(61)},
        {"cut short", cipherText.left(40)},
        {"not base64", "<<plain text>>"},
        {"empty", ""},
    };
    for (const auto& row : rows) {
        QString fileText = QString::fromUtf8(readBytes(m_path));
        const QString original = fileText;
        writeBytes(m_path, (R"(<qorconfigurationxml><spec version="1" encrypted="True">r</spec><data>)" +
                            row.data.toHtmlEscaped() + "</data></qorconfigurationxml>")
                               .toUtf8());
        QORConfiguration config;
        setUp(config);
        config.setItem("OPTIONS\\KEEP_LOGS_FOR", "99");
        const qsizetype before = logLines().size();
        EXPECT_TRUE(config.ReadConfig()) << row.name;
        EXPECT_EQ(logLines().mid(before),
                  QStringList{"Failed to decrypt XML data in QORConfiguration.ValidateXMLformat()"})
            << row.name;
        EXPECT_EQ(config.item("SOURCE\\DB_CONN_PASSWORD"), "secret-default") << row.name;
        EXPECT_EQ(config.item("OPTIONS\\LOG_VERBOSITY"), "0") << row.name;
        EXPECT_EQ(config.item("OPTIONS\\KEEP_LOGS_FOR"), "99") << row.name;
        EXPECT_FALSE(config.ChangeWasMade()) << row.name;
        writeBytes(m_path, original.toUtf8());
    }

    // The next save writes the values the store kept.
    QORConfiguration config;
    setUp(config);
    writeBytes(m_path, R"(<qorconfigurationxml><spec version="1" encrypted="True"/><data>xyz</data></qorconfigurationxml>)");
    ASSERT_TRUE(config.ReadConfig());
    ASSERT_TRUE(config.SaveConfig());
    EXPECT_EQ(reread()->item("SOURCE\\DB_CONN_PASSWORD"), "secret-default");
}

TEST_F(Configuration, BadFilesAreRejectedAndLeftUntouched)
{
    const QString validated = "ValidateXMLFormat failed in QORConfiguration.ReadConfig().";
    const struct {
        const char* name;
        QString content;
        QString lastLine;
    } rows[] = {
        {"root name differs in case", fileWithData("", "1", "QORConfigurationXML"), validated},
        {"other root name", fileWithData("", "1", "configuration"), validated},
        {"version 2", fileWithData("", "2"), validated},
        {"version 1.0", fileWithData("", "1.0"), validated},
        {"no version",
         "<qorconfigurationxml><spec encrypted=\"False\"/><data/></qorconfigurationxml>", validated},
        {"no spec", "<qorconfigurationxml><data/></qorconfigurationxml>", validated},
        {"no data", "<qorconfigurationxml><spec version=\"1\"/></qorconfigurationxml>", validated},
        {"data only deeper down",
         "<qorconfigurationxml><spec version=\"1\"/><x><data/></x></qorconfigurationxml>", validated},
        {"not well-formed", fileWithData("<OPTIONS><LOG_VERBOSITY>5</OPTIONS>"),
         "LoadXML() failed in QORConfiguration.ReadConfig()."},
        {"empty file", "", "LoadXML() failed in QORConfiguration.ReadConfig()."},
    };
    for (const auto& row : rows) {
        const QByteArray content = (row.content + "\n").toUtf8();
        writeBytes(m_path, content);
        QORConfiguration config;
        setUp(config);
        config.setItem("OPTIONS\\LOG_VERBOSITY", "4");
        const qsizetype before = logLines().size();
        EXPECT_FALSE(config.ReadConfig()) << row.name;
        const QStringList lines = logLines().mid(before);
        ASSERT_FALSE(lines.isEmpty()) << row.name;
        EXPECT_EQ(lines.last(), row.lastLine) << row.name;
        if (row.lastLine.startsWith("LoadXML")) {
            ASSERT_EQ(lines.size(), 6) << row.name;
            EXPECT_EQ(lines[0], kDashes) << row.name;
            EXPECT_EQ(lines[1], "DocumentRoot.LoadXmlFile returned 0 in QORConfiguration.LoadXML()") << row.name;
            EXPECT_EQ(lines[2], "    Details:") << row.name;
            EXPECT_FALSE(lines[3].isEmpty()) << row.name;
            EXPECT_EQ(lines[4], kDashes) << row.name;
        } else {
            EXPECT_EQ(lines.size(), 1) << row.name;
        }
        EXPECT_EQ(config.item("OPTIONS\\LOG_VERBOSITY"), "4") << row.name << ": the table keeps its values";
        EXPECT_TRUE(config.ChangeWasMade()) << row.name;
        EXPECT_EQ(readBytes(m_path), content) << row.name << ": the file is not touched";
    }
}

TEST_F(Configuration, LoadFailureDetailsAreLoggedFromVerbosityTwo)
{
    writeBytes(m_path, "<qorconfigurationxml>");
    m_logger.setVerbosity(1);
    EXPECT_FALSE(m_config.ReadConfig());
    EXPECT_EQ(logLines(), QStringList{"LoadXML() failed in QORConfiguration.ReadConfig()."});
}

TEST_F(Configuration, SaveReplacesTheFileInsteadOfWritingIntoIt)
{
    ASSERT_TRUE(m_config.SaveConfig());
    const QByteArray before = readBytes(m_path);
    // A second name for the same file: a save that wrote into the file would
    // change what it shows, a save that renames a new file over it does not.
    const QString link = m_dir.path() + "/hardlink.xml";
    ASSERT_EQ(::link(QFile::encodeName(m_path).constData(), QFile::encodeName(link).constData()), 0);

    m_config.setItem("OPTIONS\\LOG_VERBOSITY", "8");
    ASSERT_TRUE(m_config.SaveConfig());
    EXPECT_EQ(readBytes(link), before);
    EXPECT_TRUE(readBytes(m_path).contains("<LOG_VERBOSITY>8</LOG_VERBOSITY>"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), (QStringList{"hardlink.xml", "limsbridge.xml"}))
        << "no temporary file is left behind";
}

TEST_F(Configuration, FailedSaveLeavesTheOldFileAndResetsChangeWasMade)
{
    // The target is a folder: nothing can be renamed over it.
    const QString folder = m_dir.path() + "/taken.xml";
    ASSERT_TRUE(QDir().mkdir(folder));
    m_config.setPath(folder);
    m_config.setItem("OPTIONS\\LOG_VERBOSITY", "8");
    ASSERT_TRUE(m_config.ChangeWasMade());
    EXPECT_FALSE(m_config.SaveConfig());
    EXPECT_FALSE(m_config.ChangeWasMade());
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], "XMLTree.SaveXML returned 0 in QORConfiguration.SaveXML()");
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{}) << "no temporary file is left behind";
}

TEST_F(Configuration, KeysAreDefinedOnceInUpperCase)
{
    m_config.DefineTree("  options\\new_key  ", "first");
    EXPECT_TRUE(m_config.ItemExists("OPTIONS\\NEW_KEY"));
    EXPECT_FALSE(m_config.ItemExists("options\\new_key")) << "callers pass keys in upper case";
    m_config.DefineTree("OPTIONS\\NEW_KEY", "second");
    EXPECT_EQ(m_config.item("OPTIONS\\NEW_KEY"), "first");
    m_config.setItem("OPTIONS\\NEW_KEY", "set");
    m_config.DefineTree("OPTIONS\\NEW_KEY", "third");
    EXPECT_EQ(m_config.item("OPTIONS\\NEW_KEY"), "set");
}

TEST_F(Configuration, CatalogueIsDefinedInItsOrder)
{
    static constexpr QORConfiguration::KeyDefault catalogue[] = {
        {"target\\unitconvert\\enabled", "TRUE"},
        {"TARGET\\UNITCONVERT\\UNIT1\\FROMUNIT", "µg/l"},
        {"OPTIONS\\KEEP_LOGS_FOR", "7"},
    };
    m_config.DefineTree(catalogue);
    EXPECT_EQ(m_config.item("TARGET\\UNITCONVERT\\ENABLED"), "TRUE");
    EXPECT_EQ(m_config.item("TARGET\\UNITCONVERT\\UNIT1\\FROMUNIT"), QString::fromUtf8("µg/l"));
    EXPECT_EQ(m_config.item("OPTIONS\\KEEP_LOGS_FOR"), "30") << "an earlier definition is kept";
}

TEST_F(Configuration, ItemReadsAndWritesDefinedKeysInAnyCase)
{
    EXPECT_FALSE(m_config.ChangeWasMade());
    EXPECT_EQ(m_config.item("options\\log_verbosity"), "0");
    m_config.setItem("Options\\Log_Verbosity", "2");
    EXPECT_TRUE(m_config.ChangeWasMade());
    EXPECT_EQ(m_config.item("OPTIONS\\LOG_VERBOSITY"), "2");
    m_config.setChangeWasMade(false);
    EXPECT_FALSE(m_config.ChangeWasMade());
}

TEST_F(Configuration, UndefinedKeysRaiseError10781)
{
    const struct {
        const char* name;
        std::function<void(QORConfiguration&)> operation;
    } rows[] = {
        {"get", [](QORConfiguration& c) { c.item("options\\nope"); }},
        {"let", [](QORConfiguration& c) { c.setItem("options\\nope", "x"); }},
    };
    for (const auto& row : rows) {
        try {
            row.operation(m_config);
            ADD_FAILURE() << row.name << ": no error raised";
        } catch (const RaisedError& error) {
            EXPECT_EQ(error.number(), 10781) << row.name;
            EXPECT_EQ(error.description(), "Key does not exist in TreeHash (KB10781): OPTIONS\\NOPE") << row.name;
        }
        EXPECT_FALSE(m_config.ItemExists("OPTIONS\\NOPE")) << row.name << ": a write never creates a key";
        EXPECT_FALSE(m_config.ChangeWasMade()) << row.name;
    }
}

TEST_F(Configuration, DumpListsEveryKeyFromVerbosityTwo)
{
    m_config.setItem("SOURCE\\DB_CONN_PASSWORD", "pw");
    for (const int verbosity : {0, 1}) {
        m_logger.setVerbosity(qint16(verbosity));
        m_config.dumpConfiguration();
        EXPECT_TRUE(logLines().isEmpty()) << verbosity;
    }
    m_logger.setVerbosity(2);
    m_config.dumpConfiguration();

    HashTable<QString> table;
    table.SetSize(4096);
    for (const KeyDefault& entry : kDefaults)
        table.Add(QString::fromUtf8(entry.key), QString::fromUtf8(entry.value));
    table.setItem("SOURCE\\DB_CONN_PASSWORD", "pw");
    QStringList expected{kDashes, "Configuration Settings :"};
    const QList<QString> keys = table.Keys();
    for (const QString& key : keys)
        expected << key + " : " + table.Item(key);
    expected << kDashes;
    EXPECT_EQ(logLines(), expected);
    EXPECT_TRUE(logLines().contains("SOURCE\\DB_CONN_PASSWORD : pw"));
}

TEST_F(Configuration, WorksWithoutALogger)
{
    QORConfiguration config;
    config.setPath(m_path);
    config.DefineTree("A\\B", "1");
    EXPECT_TRUE(config.ReadConfig());
    config.dumpConfiguration();
    EXPECT_TRUE(QFileInfo(m_path).isFile());
}
