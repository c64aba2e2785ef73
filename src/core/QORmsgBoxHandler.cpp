#include "QORmsgBoxHandler.h"

#include "MsgBoxPresenter.h"
#include "QORLoggerTXT.h"

#include <array>

namespace limsbridge {

namespace {

enum Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The default answer of each button style (rows) for the first, second and
// third button as default (columns). Styles beyond 5 behave like OK.
constexpr std::array<std::array<int, 3>, 6> DefaultAnswers{{
    {Ok, Ok, Ok},           // 0 OK
    {Ok, Cancel, Ok},       // 1 OK/Cancel: there is no third button
    {Abort, Retry, Ignore}, // 2 Abort/Retry/Ignore
    {Yes, No, Cancel},      // 3 Yes/No/Cancel
    {Yes, No, Yes},         // 4 Yes/No
    {Retry, Cancel, Retry}, // 5 Retry/Cancel
}};

constexpr int SecondButtonDefault = 256;
constexpr int ThirdButtonDefault = 512;
constexpr int MaxPreset = 7;

} // namespace

int QORmsgBoxHandler::DefaultAnswer(int buttons) {
    const int style = buttons & 7;
    if (style >= int(DefaultAnswers.size()))
        return Ok;
    const int column = (buttons & SecondButtonDefault) ? 1 : (buttons & ThirdButtonDefault) ? 2 : 0;
    return DefaultAnswers[style][column];
}

QString QORmsgBoxHandler::AnswerName(int answer) {
    static const char* const names[] = {"", "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO"};
    if (answer < 0 || answer > MaxPreset)
        return QString();
    return QString::fromLatin1(names[answer]);
}

int QORmsgBoxHandler::QorMsgBox(const QString& prompt, int buttons, const QString& title,
                                const QString& helpFile, std::optional<int> context) {
    if (!m_silentOperation && m_presenter)
        return m_presenter->show(prompt, buttons, title, helpFile, context.value_or(0));
    // Without a presenter there is no display to ask; answering as a silent box
    // at least leaves the question and its answer in the log.
    return answerSilently(prompt, buttons, title, helpFile, context);
}

int QORmsgBoxHandler::answerSilently(const QString& prompt, int buttons, const QString& title,
                                     const QString& helpFile, std::optional<int> context) {
    const int preset = m_answer;
    m_answer = NoPreset;
    if (!m_logHandler)
        return 0;

    const int answer = (preset >= 0 && preset <= MaxPreset) ? preset : DefaultAnswer(buttons);
    const QString rule31(31, '=');
    QORLoggerTXT& log = *m_logHandler;
    log.WriteLog(rule31 + " SILENT QORMSGBOX " + rule31, 0);
    log.WriteLog("PROMPT= " + prompt, 0);
    log.WriteLog("BUTTONS= " + QString::number(buttons), 0);
    if (!title.isNull())
        log.WriteLog("TITLE= " + title, 0);
    if (!helpFile.isNull())
        log.WriteLog("HELPFILE= " + helpFile, 0);
    if (context)
        log.WriteLog("CONTEXT= " + QString::number(*context), 0);
    log.WriteLog("ANSWER= " + AnswerName(answer), 0);
    log.WriteLog(QString(77, '='), 0);
    return answer;
}

} // namespace limsbridge
