#include "Globals.h"

namespace limsbridge {

QORLoggerTXT* Logger = nullptr;
QORmsgBoxHandler* MsgBoxHandler = nullptr;
QORConfiguration* Config = nullptr;
NetInfo* HostNetInfo = nullptr;
bool ServiceMode = false;
qint16 TargetDbType = 0;
CsvSettings Csv;

} // namespace limsbridge
