#include "common/socket_channel.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vorkel {

SocketChannel::SocketChannel(int fd) : m_fd(fd), m_notifier(fd, QSocketNotifier::Read) {
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    connect(&m_notifier, &QSocketNotifier::activated, this, [this] { TakeArrived(); });
    QIODevice::open(QIODevice::ReadWrite);
}

qint64 SocketChannel::bytesAvailable() const {
    return m_arrived.size() + QIODevice::bytesAvailable();
}

bool SocketChannel::waitForReadyRead(int msecs) {
    pollfd p{m_fd, POLLIN, 0};
    if (m_fd >= 0 && ::poll(&p, 1, std::max(msecs, 0)) > 0) TakeArrived();
    return !m_arrived.isEmpty();
}

void SocketChannel::close() {
    m_notifier.setEnabled(false);
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    QIODevice::close();
}

qint64 SocketChannel::readData(char* data, qint64 maxSize) {
    const qint64 n = std::min<qint64>(maxSize, m_arrived.size());
    std::copy_n(m_arrived.constData(), n, data);
    m_arrived.remove(0, n);
    return n;
}

qint64 SocketChannel::writeData(const char* data, qint64 size) {
    qint64 written = 0;
    while (m_fd >= 0 && written < size) {
        const ssize_t n = ::write(m_fd, data + written, static_cast<size_t>(size - written));
        if (n > 0)
            written += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN)
            ::poll(nullptr, 0, 1); // a command is a few bytes: the radio takes them soon
        else
            return -1;
    }
    return written;
}

void SocketChannel::TakeArrived() {
    char buffer[1024];
    for (;;) {
        const ssize_t n = m_fd < 0 ? 0 : ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_arrived.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        // The other end closed, or the link failed: nothing more will come.
        m_notifier.setEnabled(false);
        if (!m_arrived.isEmpty()) emit readyRead();
        emit readChannelFinished();
        return;
    }
    if (!m_arrived.isEmpty()) emit readyRead();
}

} // namespace vorkel
