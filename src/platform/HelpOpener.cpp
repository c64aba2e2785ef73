#include "HelpOpener.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace limsbridge {

bool OpenHelpPage(const QString& filePath) {
    // QDesktopServices needs the platform integration of a QGuiApplication;
    // service mode runs a QCoreApplication without any.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}

} // namespace limsbridge
