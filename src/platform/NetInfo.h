// Who and where the program runs: operating system, home folder, computer
// name, user and IP address, plus the one-line summary that startup writes
// into the log banner and the last-run bookkeeping records.
#pragma once

#include <QString>

namespace limsbridge {

class NetInfo {
public:
    //! What the operating system answered, before the rules that turn it into
    //! the properties (build number parsing, "?" computer name, user-name limit).
    struct RawFacts {
        QString osFamily;  //!< uname's system name; empty when uname failed
        QString osRelease; //!< uname's release text, e.g. "6.1.0-18-amd64"
        QString homeFolder;
        QString hostName; //!< empty when it could not be read
        QString userName;
        QString ipv4Address; //!< first IPv4 address of the host name; empty on failure
    };

    virtual ~NetInfo() = default;

    //! Fills every property once; a failed system call leaves its property empty.
    void GetNetInfo();

    QString WinVersion() const { return m_winVersion; }
    QString WinBuild() const { return m_winBuild; }
    QString WinDirectory() const { return m_winDirectory; }
    QString WorkStation() const { return m_workStation; }
    QString NetUser() const { return m_netUser; }
    QString IPAddrs() const { return m_ipAddrs; }
    QString AllTextDump() const { return m_allTextDump; }

protected:
    //! Asks the system; tests override it to feed chosen facts.
    virtual RawFacts readRawFacts() const;

private:
    QString m_winVersion;
    QString m_winBuild;
    QString m_winDirectory;
    QString m_workStation;
    QString m_netUser;
    QString m_ipAddrs;
    QString m_allTextDump;
};

} // namespace limsbridge
