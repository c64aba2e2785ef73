// Turns SIGTERM and SIGINT into a call on the event loop's thread, so that the
// program can end cleanly (closing its log) when the service manager stops it.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace limsbridge {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    //! Installs the handlers; onSignal runs from the event loop with the signal number.
    explicit TerminationSignals(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void readSignal();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace limsbridge
