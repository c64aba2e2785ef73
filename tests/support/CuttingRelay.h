// A TCP relay on loopback between clients and one server, for tests of
// connections that die between two statements. Once cut() is called, the next
// bytes a client sends are not passed on: the relay closes that client's
// connection with a reset instead. Nothing reaches the client before it sends,
// so it sees a quiet connection until its statement fails, as when a network
// link dies unnoticed. Later connections are relayed again.
#pragma once

#include <QString>

#include <atomic>
#include <thread>

namespace limsbridge::testing {

class CuttingRelay {
public:
    CuttingRelay(const QString& serverHost, int serverPort);
    ~CuttingRelay();
    CuttingRelay(const CuttingRelay&) = delete;
    CuttingRelay& operator=(const CuttingRelay&) = delete;

    //! The loopback port clients connect to; 0 when the relay could not listen.
    int port() const { return m_port; }
    //! Resets the next client that sends anything.
    void cut() { m_cut = true; }
    //! True once a cut has been carried out.
    bool hasCut() const { return m_hasCut; }

private:
    void run();

    QString m_serverHost;
    int m_serverPort = 0;
    int m_listener = -1;
    int m_port = 0;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::atomic<bool> m_cut{false};
    std::atomic<bool> m_hasCut{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace limsbridge::testing
