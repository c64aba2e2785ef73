#include "support/CuttingRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace limsbridge::testing {

namespace {

// A client's socket and the socket to the server it is relayed to.
struct Pair {
    int client = -1;
    int server = -1;
};

void closeWithReset(int socket) {
    const linger abrupt{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
    ::close(socket);
}

int connectTo(const QString& host, int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    if (socket < 0 || ::inet_pton(AF_INET, host.toLatin1().constData(), &address.sin_addr) != 1 ||
        ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (socket >= 0)
            ::close(socket);
        return -1;
    }
    return socket;
}

// Moves what is readable on from to to; false when from has ended or failed.
bool pass(int from, int to) {
    char buffer[16384];
    const ssize_t received = ::recv(from, buffer, sizeof buffer, 0);
    if (received <= 0)
        return false;
    for (ssize_t sent = 0; sent < received;) {
        const ssize_t written = ::send(to, buffer + sent, size_t(received - sent), MSG_NOSIGNAL);
        if (written <= 0)
            return false;
        sent += written;
    }
    return true;
}

} // namespace

CuttingRelay::CuttingRelay(const QString& serverHost, int serverPort)
    : m_serverHost(serverHost == "localhost" ? QStringLiteral("127.0.0.1") : serverHost), m_serverPort(serverPort) {
    int wake[2];
    if (::pipe(wake) != 0)
        return;
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

CuttingRelay::~CuttingRelay() {
    m_stop = true;
    if (m_wakeWrite >= 0)
        (void)!::write(m_wakeWrite, "x", 1);
    if (m_thread.joinable())
        m_thread.join();
    for (int descriptor : {m_listener, m_wakeRead, m_wakeWrite})
        if (descriptor >= 0)
            ::close(descriptor);
}

void CuttingRelay::run() {
    std::vector<Pair> pairs;
    while (!m_stop) {
        std::vector<pollfd> watched{{m_listener, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        for (const Pair& pair : pairs) {
            watched.push_back({pair.client, POLLIN, 0});
            watched.push_back({pair.server, POLLIN, 0});
        }
        if (::poll(watched.data(), nfds_t(watched.size()), 100) <= 0)
            continue;
        std::vector<Pair> kept;
        for (size_t i = 0; i < pairs.size(); ++i) {
            const Pair pair = pairs[i];
            const short fromClient = watched[2 + 2 * i].revents;
            const short fromServer = watched[3 + 2 * i].revents;
            bool open = true;
            if (fromClient && m_cut.exchange(false)) {
                m_hasCut = true;
                open = false;
            } else {
                if (fromClient)
                    open = pass(pair.client, pair.server);
                if (open && fromServer)
                    open = pass(pair.server, pair.client);
            }
            if (open) {
                kept.push_back(pair);
            } else {
                closeWithReset(pair.client);
                ::close(pair.server);
            }
        }
        if (watched[0].revents & POLLIN) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            const int server = client >= 0 ? connectTo(m_serverHost, m_serverPort) : -1;
            if (server >= 0)
                kept.push_back({client, server});
            else if (client >= 0)
                ::close(client);
        }
        pairs.swap(kept);
    }
    for (const Pair& pair : pairs) {
        ::close(pair.client);
        ::close(pair.server);
    }
}

} // namespace limsbridge::testing
