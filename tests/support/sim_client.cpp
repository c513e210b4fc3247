#include "support/sim_client.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace simtest {

Client::Client(const QString& path, speed_t speed) {
    m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (m_fd >= 0 && tcgetattr(m_fd, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        tcsetattr(m_fd, TCSANOW, &t);
    }
}

Client::~Client() {
    if (m_fd >= 0) ::close(m_fd);
}

QByteArray Client::talk(const QByteArray& text, int limitMs, bool untilPrompt) {
    if (!text.isEmpty()) [[maybe_unused]]
        auto n = ::write(m_fd, text.constData(), static_cast<size_t>(text.size()));
    return collect(limitMs, untilPrompt);
}

QByteArray Client::collect(int limitMs, bool untilPrompt) {
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 2) > 0) {
            char buffer[512];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) out.append(buffer, n);
            if (p.revents & (POLLHUP | POLLERR)) {
                m_hungUp = true;
                break;
            }
        }
        if (untilPrompt && out.endsWith('>')) break;
    }
    return out;
}

QByteArray Setup(Client& client) {
    QByteArray all;
    for (const char* command : {"atz\r\n", "atcaf1\r\n", "atspa6\r\n", "atsh720\r\n", "ath1\r\n"})
        all += client.talk(command);
    return all;
}

} // namespace simtest
