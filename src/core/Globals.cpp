#include "Globals.h"

namespace limsbridge {

QORLoggerTXT* Logger = nullptr;
QORmsgBoxHandler* MsgBoxHandler = nullptr;
QORConfiguration* Config = nullptr;
NetInfo* HostNetInfo = nullptr;
bool ServiceMode = false;
CsvSettings Csv;

} // namespace limsbridge
