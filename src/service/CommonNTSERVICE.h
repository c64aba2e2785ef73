// The headless form of service mode. It owns the scheduler of automated
// imports and keeps the process alive until it is stopped from outside.
#pragma once

#include <QObject>
#include <QString>

namespace limsbridge {

class CommonNTSERVICE : public QObject {
    Q_OBJECT
public:
    explicit CommonNTSERVICE(QObject* parent = nullptr);

    void setCaption(const QString& caption) { m_caption = caption; }
    QString Caption() const { return m_caption; }

    //! Starts service mode; the process then lives on in the event loop.
    void RunNTService();

private:
    QString m_caption;
};

} // namespace limsbridge
