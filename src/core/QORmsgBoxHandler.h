// The only way the program shows a message box. Interactively the box goes to
// the presenter; in silent operation (service mode) nothing is shown, the box
// and an automatic answer are written to the log and that answer is returned,
// so that code written for a user also runs unattended.
#pragma once

#include <QString>
#include <optional>

namespace limsbridge {

class MsgBoxPresenter;
class QORLoggerTXT;

class QORmsgBoxHandler {
public:
    //! Shows (or answers silently) a box with the standard button style and
    //! answer codes. A null title or help file and an absent context count as
    //! not given; an empty but non-null text counts as given.
    int QorMsgBox(const QString& prompt, int buttons, const QString& title = QString(),
                  const QString& helpFile = QString(), std::optional<int> context = std::nullopt);

    void setLogHandler(QORLoggerTXT* logger) { m_logHandler = logger; }
    //! Presets the answer of the next silent box; values outside 0..7 are ignored then.
    void setAnswer(int answer) { m_answer = answer; }
    void setSilentOperation(bool silent) { m_silentOperation = silent; }
    bool SilentOperation() const { return m_silentOperation; }
    //! The on-screen presenter; without one every box is answered as a silent one.
    void setPresenter(MsgBoxPresenter* presenter) { m_presenter = presenter; }

    //! The answer a silent box gives for a buttons value: the default button of its style.
    static int DefaultAnswer(int buttons);
    //! "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO"; empty for anything else.
    static QString AnswerName(int answer);

private:
    int answerSilently(const QString& prompt, int buttons, const QString& title, const QString& helpFile,
                       std::optional<int> context);

    static constexpr int NoPreset = -1;

    QORLoggerTXT* m_logHandler = nullptr;
    MsgBoxPresenter* m_presenter = nullptr;
    bool m_silentOperation = false;
    int m_answer = NoPreset;
};

} // namespace limsbridge
