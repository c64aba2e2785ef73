// The core configuration keys with their defaults, in registration order.
#pragma once

#include <QDateTime>
#include <span>

namespace limsbridge {

class QORConfiguration;

//! A default that is computed when the program starts rather than fixed text.
enum class CoreDefault {
    Fixed,            //!< the text of the entry
    ApplicationTitle, //!< the application title of the version information
    Yesterday,        //!< yesterday at 00:00:00, "MM-dd-yyyy HH:mm:ss"
    DayAgo,           //!< now minus one day, "MM-dd-yyyy HH:mm:ss"
    Now,              //!< now, "MM-dd-yyyy HH:mm:ss"
};

struct CoreKey {
    const char* key;
    const char* defaultText;
    CoreDefault kind = CoreDefault::Fixed;
};

//! The table of core keys, branches before their children.
std::span<const CoreKey> coreKeys();

//! The default of one entry as it is at the given moment.
QString coreKeyDefault(const CoreKey& entry, const QDateTime& now);

//! Registers every core key with its default at the given moment.
void RegisterCoreKeys(QORConfiguration& config, const QDateTime& now);

} // namespace limsbridge
