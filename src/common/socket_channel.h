#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QSocketNotifier>

namespace vorkel {

// A connected stream socket (the Bluetooth link the service hands over) as
// the channel: read as it arrives, written at once. Its end (the adapter gone
// out of reach) ends the reading: readChannelFinished. Linux only.
class SocketChannel : public QIODevice {
  public:
    explicit SocketChannel(int fd); // takes the descriptor over
    ~SocketChannel() override { close(); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    bool waitForReadyRead(int msecs) override;
    void close() override;

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

  private:
    void TakeArrived();

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_arrived;
};

} // namespace vorkel
