#pragma once

#include <QByteArray>
#include <QString>
#include <termios.h>

// The simulator's tests talk to it as any terminal program would.
namespace simtest {

// A plain serial client on the slave side of the simulator's pseudo-terminal.
class Client {
  public:
    explicit Client(const QString& path, speed_t speed = B38400);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    bool isOpen() const { return m_fd >= 0; }

    // Sends text and collects the answer until the prompt (or silence, or the limit).
    QByteArray talk(const QByteArray& text, int limitMs = 2000, bool untilPrompt = true);
    QByteArray collect(int limitMs, bool untilPrompt = true);
    bool hungUp() const { return m_hungUp; }

  private:
    int m_fd = -1;
    bool m_hungUp = false;
};

// The set-up Connect sends, answers gathered.
QByteArray Setup(Client& client);

} // namespace simtest
