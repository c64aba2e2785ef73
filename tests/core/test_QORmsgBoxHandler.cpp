// The message-box handler: silent answers and their log lines, presets, and
// the hand-over to an on-screen presenter.
#include "core/Clock.h"
#include "core/MsgBoxPresenter.h"
#include "core/QORLoggerTXT.h"
#include "core/QORmsgBoxHandler.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace limsbridge;

// Readable failure messages for texts and lists of texts.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString Header = "=============================== SILENT QORMSGBOX ===============================";
const QString Footer = "=============================================================================";

// Log lines without their "hh:mm:ss : " time stamps.
QStringList logLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList result;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
        result << line.mid(11);
    return result;
}

class RecordingPresenter : public MsgBoxPresenter {
public:
    int show(const QString& prompt, int buttons, const QString& title, const QString& helpFile,
             int context) override {
        ++calls;
        lastPrompt = prompt;
        lastButtons = buttons;
        lastTitle = title;
        lastHelpFile = helpFile;
        lastContext = context;
        return answer;
    }
    int answer = 5;
    int calls = 0;
    QString lastPrompt;
    int lastButtons = -1;
    QString lastTitle;
    QString lastHelpFile;
    int lastContext = -1;
};

class MsgBox : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Clock::setFixed(QDateTime(QDate(2022, 4, 22), QTime(10, 0, 0)));
        m_logger.setLogPath(m_dir.path());
        m_logger.setBufferLength(1);
        m_logger.setEnabled(true);
        m_handler.setLogHandler(&m_logger);
        m_handler.setSilentOperation(true);
    }
    void TearDown() override { Clock::setSource({}); }

    QStringList logged() const { return logLines(m_logger.currentFile()); }
    QORmsgBoxHandler& handler() { return m_handler; }
    QORLoggerTXT& logger() { return m_logger; }

private:
    QTemporaryDir m_dir;
    QORLoggerTXT m_logger;
    QORmsgBoxHandler m_handler;
};

} // namespace

TEST(MsgBoxDefaults, EveryStyleAndDefaultButton) {
    struct Row {
        const char* name;
        int buttons;
        int answer;
    };
    const Row rows[] = {
        {"OK", 0, 1},
        {"OK second", 256, 1},
        {"OK third", 512, 1},
        {"OK/Cancel", 1, 1},
        {"OK/Cancel second", 1 + 256, 2},
        {"OK/Cancel third", 1 + 512, 1},
        {"Abort/Retry/Ignore", 2, 3},
        {"Abort/Retry/Ignore second", 2 + 256, 4},
        {"Abort/Retry/Ignore third", 2 + 512, 5},
        {"Yes/No/Cancel", 3, 6},
        {"Yes/No/Cancel second", 3 + 256, 7},
        {"Yes/No/Cancel third", 3 + 512, 2},
        {"Yes/No", 4, 6},
        {"Yes/No second", 4 + 256, 7},
        {"Yes/No third", 4 + 512, 6},
        {"Retry/Cancel", 5, 4},
        {"Retry/Cancel second", 5 + 256, 2},
        {"Retry/Cancel third", 5 + 512, 4},
        {"style 6", 6, 1},
        {"style 6 second", 6 + 256, 1},
        {"style 7 third", 7 + 512, 1},
        {"icons do not matter", 4 + 32 + 256, 7},
        {"exclamation OK", 48, 1},
        {"second wins over third", 3 + 256 + 512, 7},
    };
    for (const Row& row : rows)
        EXPECT_EQ(QORmsgBoxHandler::DefaultAnswer(row.buttons), row.answer) << row.name;
}

TEST(MsgBoxDefaults, AnswerNames) {
    const char* names[] = {"", "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO"};
    for (int answer = 0; answer <= 7; ++answer)
        EXPECT_EQ(QORmsgBoxHandler::AnswerName(answer), names[answer]) << answer;
    EXPECT_EQ(QORmsgBoxHandler::AnswerName(8), "");
    EXPECT_EQ(QORmsgBoxHandler::AnswerName(-1), "");
}

TEST_F(MsgBox, SilentBoxLogsEveryGivenPart) {
    EXPECT_EQ(handler().QorMsgBox("Delete the file?", 4 + 32 + 256, "Confirm", "help", 12), 7);
    EXPECT_EQ(logged(), QStringList({Header, "PROMPT= Delete the file?", "BUTTONS= 292", "TITLE= Confirm",
                                     "HELPFILE= help", "CONTEXT= 12", "ANSWER= NO", Footer}));
    EXPECT_EQ(Header.count('='), 62);
    EXPECT_EQ(Footer.size(), 77);
}

TEST_F(MsgBox, SilentOkBoxWithoutOptionalParts) {
    EXPECT_EQ(handler().QorMsgBox("Done.", 0), 1);
    EXPECT_EQ(logged(), QStringList({Header, "PROMPT= Done.", "BUTTONS= 0", "ANSWER= OK", Footer}));
}

TEST_F(MsgBox, EmptyButGivenTitleIsLogged) {
    EXPECT_EQ(handler().QorMsgBox("Retry?", 5, "", QString(), 0), 4);
    EXPECT_EQ(logged(), QStringList({Header, "PROMPT= Retry?", "BUTTONS= 5", "TITLE= ", "CONTEXT= 0",
                                     "ANSWER= RETRY", Footer}));
}

TEST_F(MsgBox, SilentOkCancelWithSecondDefaultAnswersCancel) {
    EXPECT_EQ(handler().QorMsgBox("Continue?", 1 + 256), 2);
    EXPECT_EQ(logged().value(3), "ANSWER= CANCEL");
}

TEST_F(MsgBox, PresetIsUsedOnceThenCleared) {
    handler().setAnswer(6);
    EXPECT_EQ(handler().QorMsgBox("Overwrite?", 4 + 256), 6);
    EXPECT_EQ(handler().QorMsgBox("Overwrite?", 4 + 256), 7);
    const QStringList lines = logged();
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[3], "ANSWER= YES");
    EXPECT_EQ(lines[8], "ANSWER= NO");
}

TEST_F(MsgBox, PresetZeroAnswersZeroWithEmptyName) {
    handler().setAnswer(0);
    EXPECT_EQ(handler().QorMsgBox("x", 4), 0);
    EXPECT_EQ(logged().value(3), "ANSWER= ");
}

TEST_F(MsgBox, PresetOutOfRangeIsIgnoredAndCleared) {
    handler().setAnswer(8);
    EXPECT_EQ(handler().QorMsgBox("x", 4 + 256), 7);
    handler().setAnswer(-5);
    EXPECT_EQ(handler().QorMsgBox("x", 2 + 512), 5);
    handler().setAnswer(7);
    EXPECT_EQ(handler().QorMsgBox("x", 0), 7); // any answer 0..7 is accepted, whatever the style
    EXPECT_EQ(handler().QorMsgBox("x", 0), 1);
}

TEST_F(MsgBox, MissingLoggerReturnsZero) {
    QORmsgBoxHandler bare;
    bare.setSilentOperation(true);
    EXPECT_EQ(bare.QorMsgBox("x", 4), 0);
    EXPECT_EQ(bare.QorMsgBox("x", 0), 0);
}

TEST_F(MsgBox, VisibleBoxGoesToThePresenterAndLogsNothing) {
    RecordingPresenter presenter;
    handler().setPresenter(&presenter);
    handler().setSilentOperation(false);
    handler().setAnswer(6);

    EXPECT_EQ(handler().QorMsgBox("Stop?", 2 + 48, "Import", "help", 7), 5);
    EXPECT_EQ(presenter.calls, 1);
    EXPECT_EQ(presenter.lastPrompt, "Stop?");
    EXPECT_EQ(presenter.lastButtons, 50);
    EXPECT_EQ(presenter.lastTitle, "Import");
    EXPECT_EQ(presenter.lastHelpFile, "help");
    EXPECT_EQ(presenter.lastContext, 7);

    presenter.answer = 2;
    EXPECT_EQ(handler().QorMsgBox("Go?", 1), 2);
    EXPECT_TRUE(presenter.lastTitle.isEmpty());
    EXPECT_EQ(presenter.lastContext, 0);
    EXPECT_TRUE(logger().currentFile().isEmpty());

    // The preset belongs to the next silent box.
    handler().setSilentOperation(true);
    EXPECT_EQ(handler().QorMsgBox("Go?", 4), 6);
    EXPECT_EQ(presenter.calls, 2);
}

TEST_F(MsgBox, WithoutPresenterTheBoxIsAnsweredAndLoggedAsSilent) {
    handler().setSilentOperation(false);
    EXPECT_EQ(handler().QorMsgBox("Unable to read configuration", 48, "Unable to start"), 1);
    EXPECT_EQ(logged(), QStringList({Header, "PROMPT= Unable to read configuration", "BUTTONS= 48",
                                     "TITLE= Unable to start", "ANSWER= OK", Footer}));
}
