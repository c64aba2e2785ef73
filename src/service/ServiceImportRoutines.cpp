#include "ServiceImportRoutines.h"

#include "core/Globals.h"
#include "core/QORLoggerTXT.h"

#include <QString>

namespace limsbridge {

namespace {

std::function<void(bool)> loggingOnly(const QString& name) {
    return [name](bool testMode) {
        if (Logger)
            Logger->WriteLog(name + "(" + (testMode ? "True" : "False") +
                                 ") is not available in this program; nothing was imported.",
                             0);
    };
}

} // namespace

ServiceImportRoutines HeadlessServiceImportRoutines() {
    return {loggingOnly(QStringLiteral("ImportAll")), loggingOnly(QStringLiteral("ImportAllFromCsv"))};
}

} // namespace limsbridge
