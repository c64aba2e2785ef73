// The main window of interactive mode: the activity list that shows every
// activity line as it happens, and the status bar.
#pragma once

#include "core/ActivityLog.h"

#include <QMainWindow>

class QListWidget;

namespace limsbridge {

class CommonUI : public QMainWindow, public ActivitySink {
    Q_OBJECT
public:
    explicit CommonUI(QWidget* parent = nullptr);
    ~CommonUI() override;

    //! Fills the activity list with its first lines; called once before showing.
    void Form_Load();

    QListWidget* lstActivityLog() const { return m_activityLog; }

    int lineCount() const override;
    void appendLine(const QString& text) override;
    void clear() override;

private:
    QListWidget* m_activityLog = nullptr;
};

} // namespace limsbridge
