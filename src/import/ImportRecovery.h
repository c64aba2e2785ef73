// How an import run rides out a lost connection: the number of attempts and
// the pause between them for the source and for the plant database, and the
// pause itself, which keeps pending events flowing so that a window stays
// responsive while the run waits.
#pragma once

#include <QString>

namespace limsbridge {

struct RecoverySettings {
    //! How often a read or write is tried before the run gives up.
    qint32 attempts = 0;
    //! The pause between attempts.
    qint64 waitMilliseconds = 0;
    //! The configured seconds as written, for the "Waiting for ..." line.
    QString secondsText;

    //! Reads "<branch>\RECOVERY\ATTEMPTS" and "<branch>\RECOVERY\SECONDS"
    //! ("SOURCE" or "TARGET") from the configuration; raises error 13 for a
    //! value that is no number.
    static RecoverySettings Read(const QString& branch);
};

//! Sleeps for the given time in short slices, letting pending events run
//! between them and once more at the end.
void RecoveryWait(qint64 milliseconds);

} // namespace limsbridge
