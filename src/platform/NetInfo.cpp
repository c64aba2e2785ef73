#include "NetInfo.h"

#include <QDir>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace limsbridge {

namespace {

// Longer user names do not fit the 25-character buffer (with its NUL) that
// the name has always been read into, and give an empty name.
constexpr int MaxUserNameLength = 24;
constexpr int MaxHostNameLength = 256;

// "6.1.0-18-amd64" -> "6.1.0": the leading numbers of the release, missing ones as 0.
QString buildNumbers(const QString& release) {
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch match = numbers.match(release.trimmed());
    if (!match.hasMatch())
        return QStringLiteral("0.0.0");
    auto part = [&](int index) {
        const QString text = match.captured(index);
        return text.isEmpty() ? QStringLiteral("0") : QString::number(text.toULongLong());
    };
    return part(1) + "." + part(2) + "." + part(3);
}

QString firstIPv4Address(const QString& hostName) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    if (getaddrinfo(hostName.toLocal8Bit().constData(), nullptr, &hints, &answer) != 0 || !answer)
        return QString();
    QString text;
    if (answer->ai_family == AF_INET && answer->ai_addr) {
        const auto* address = reinterpret_cast<const sockaddr_in*>(answer->ai_addr);
        char buffer[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address->sin_addr, buffer, sizeof buffer))
            text = QString::fromLatin1(buffer);
    }
    freeaddrinfo(answer);
    return text;
}

} // namespace

NetInfo::RawFacts NetInfo::readRawFacts() const {
    RawFacts facts;

    utsname system{};
    if (uname(&system) == 0) {
        facts.osFamily = QString::fromLocal8Bit(system.sysname);
        facts.osRelease = QString::fromLocal8Bit(system.release);
    }

    facts.homeFolder = QDir::homePath();

    char host[MaxHostNameLength + 1] = {};
    if (gethostname(host, MaxHostNameLength) == 0) {
        // The name is cut at its first NUL, whether or not it was truncated.
        facts.hostName = QString::fromLocal8Bit(host, qstrnlen(host, MaxHostNameLength));
        const QString trimmed = facts.hostName.trimmed();
        if (!trimmed.isEmpty())
            facts.ipv4Address = firstIPv4Address(trimmed);
    }

    if (const passwd* user = getpwuid(geteuid()); user && user->pw_name)
        facts.userName = QString::fromLocal8Bit(user->pw_name);
    else
        facts.userName = qEnvironmentVariable("USER");

    return facts;
}

void NetInfo::GetNetInfo() {
    const RawFacts facts = readRawFacts();
    if (facts.osFamily.isEmpty()) {
        m_winVersion = QStringLiteral("Unknown");
        m_winBuild.clear();
    } else {
        m_winVersion = facts.osFamily;
        m_winBuild = buildNumbers(facts.osRelease);
    }
    m_winDirectory = facts.homeFolder;
    m_workStation = facts.hostName.isEmpty() ? QStringLiteral("?") : facts.hostName;
    m_netUser = facts.userName.size() > MaxUserNameLength ? QString() : facts.userName;
    m_ipAddrs = facts.ipv4Address;
    m_allTextDump = m_winVersion + " " + m_winBuild + ", " + "IP Address = " + m_ipAddrs + ", " +
                    "Workstation = " + m_workStation + ", " + "Network User = " + m_netUser;
}

} // namespace limsbridge
