#pragma once

#include "elm327.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <memory>

namespace vorkelsim {

// Every delay of the simulated adapter (reset, latency, busy frames, the wire
// itself) runs at this factor: 1 unless a test scales time for the program
// and the simulator alike.
void SetSimTimeScale(double factor);
double SimTimeScale();

// The simulated adapter on the master side of a Linux pseudo-terminal. The
// program opens the slave side with its real serial code. The simulator keeps
// its own descriptor of the slave open, so it survives the program closing and
// reopening the port. Driven by the Qt event loop of whoever owns it.
class PtyAdapter : public QObject {
    Q_OBJECT
  public:
    explicit PtyAdapter(SimOptions options, QObject* parent = nullptr);
    ~PtyAdapter() override;

    bool Start(); // opens the pseudo-terminal
    // Listens on 127.0.0.1:port instead, as a WiFi adapter does (0: any free
    // port); one client at a time, the next may connect when it leaves.
    bool StartTcp(quint16 port);
    quint16 TcpPort() const { return m_tcpPort; }
    // Takes a connected stream socket as the line, as a Bluetooth link is
    // handed over by the Bluetooth service: one at a time, the one before
    // closed. The adapter then waits for the next when it closes.
    void TakeStream(int fd);
    QString ErrorString() const { return m_error; }
    QString SlavePath() const { return m_slavePath; }
    bool LinkAs(const QString& linkPath); // a link to the slave, removed again at the end
    QString LinkPath() const { return m_linkPath; }

    void Unplug(); // closes the line, as a pulled plug does
    bool Plugged() const { return m_master >= 0; }

    // Everything the host sent, as received.
    QByteArray Received() const { return m_received; }
    void ClearReceived() { m_received.clear(); }
    // The commands the host sent, one per line without its line end.
    QStringList ReceivedCommands() const;
    // Everything written to the host.
    QByteArray Sent() const { return m_sent; }

    Elm327& Adapter() { return m_adapter; }
    void SetTrace(bool on) { m_trace = on; }

  signals:
    void traced(const QString& line);
    void unplugged();

  private:
    struct Pending {
        QByteArray bytes;
        int delayMs = 0;
        qint64 enqueuedAt = 0;
        double dueAt = -1; // set when it reaches the front of the queue
        qsizetype sent = 0;
        QString command;
        bool isRequest = false;
        int repeatMs = 0; // sent again after this pause, until the host sends something
    };

    void OnReadable();
    void OnClient();
    void Feed(char byte);
    void Enqueue(const Answer& answer);
    void Pump();
    void UnplugOnceRead(qint64 latestAt);        // m_clock's time
    qsizetype WriteOut(const QByteArray& bytes); // bytes written; never waits
    bool RequestInProgress() const;
    bool SpeedMismatch() const;
    void Trace(const char* direction, const QByteArray& bytes);

    Elm327 m_adapter;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_listen = -1;     // the TCP socket clients connect to
    bool m_stream = false; // the line is a stream socket handed over (Bluetooth)
    quint16 m_tcpPort = 0;
    std::unique_ptr<QSocketNotifier> m_listenNotifier;
    QTimer m_pumpTimer;
    QElapsedTimer m_clock;
    std::deque<Pending> m_queue;
    double m_lastEnd = 0;
    QString m_unplugCommand;
    qsizetype m_unplugCount = 0;
    QByteArray m_received;
    QByteArray m_sent;
    bool m_trace = false;
};

} // namespace vorkelsim
