#include "CommonUI.h"

#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/VbConvert.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QStatusBar>

namespace limsbridge {

CommonUI::CommonUI(QWidget* parent)
    : QMainWindow(parent)
{
    m_activityLog = new QListWidget(this);
    m_activityLog->setObjectName("lstActivityLog");
    m_activityLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_activityLog->setUniformItemSizes(true);
    setCentralWidget(m_activityLog);
    statusBar()->setObjectName("StatusBar1");
    connect(m_activityLog, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { statusBar()->showMessage(item->text()); });
    resize(900, 600);
}

CommonUI::~CommonUI()
{
    if (activitySink() == this)
        setActivitySink(nullptr);
}

void CommonUI::Form_Load()
{
    setActivitySink(this);
    clear();
    LogActivity("Configuration loaded from " + Config->path(), 0);
    const auto interfaceId = Vb::ToDouble(Config->item("ZURIVARU\\G2_SERVER_INTERFACE_ID"));
    if (!interfaceId || *interfaceId == 0) {
        appendLine("WARNING : No designation has been made for this collector instance. Use "
                   "'Configuration\\Collector Configuration' to set it.");
        appendLine("Go to 'Help\\Chapters\\Step-by-step Configuration Instructions' for configuration help");
    }
}

int CommonUI::lineCount() const
{
    return m_activityLog->count();
}

void CommonUI::appendLine(const QString& text)
{
    m_activityLog->addItem(text);
    m_activityLog->setCurrentRow(m_activityLog->count() - 1);
}

void CommonUI::clear()
{
    m_activityLog->clear();
}

} // namespace limsbridge
