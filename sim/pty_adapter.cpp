#include "pty_adapter.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <arpa/inet.h>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace vorkelsim {
namespace {

double& TimeFactor() {
    static double factor = 1.0;
    return factor;
}

int SpeedOf(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    case B460800:
        return 460800;
    case B500000:
        return 500000;
    default:
        return 0;
    }
}

QString Escaped(const QByteArray& bytes) {
    QString out;
    for (const char c : bytes) {
        if (c == '\r')
            out += QStringLiteral("\\r");
        else if (c == '\n')
            out += QStringLiteral("\\n");
        else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            out +=
                QStringLiteral("\\x%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(c);
    }
    return out;
}

} // namespace

void SetSimTimeScale(double factor) {
    TimeFactor() = factor;
}

double SimTimeScale() {
    return TimeFactor();
}

PtyAdapter::PtyAdapter(SimOptions options, QObject* parent)
    : QObject(parent), m_adapter(std::move(options)) {
    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pumpTimer, &QTimer::timeout, this, &PtyAdapter::Pump);
    m_clock.start();
}

PtyAdapter::~PtyAdapter() {
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    blockSignals(true); // ending is not an unplug
    Unplug();
    m_listenNotifier.reset();
    if (m_listen >= 0) ::close(m_listen);
}

bool PtyAdapter::StartTcp(quint16 port) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listen < 0 ||
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listen, 1) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    m_tcpPort = ntohs(address.sin_port);
    m_listenNotifier = std::make_unique<QSocketNotifier>(m_listen, QSocketNotifier::Read);
    connect(m_listenNotifier.get(), &QSocketNotifier::activated, this, &PtyAdapter::OnClient);
    return true;
}

void PtyAdapter::TakeStream(int fd) {
    if (m_master >= 0) {
        m_notifier.reset();
        ::close(m_master);
    }
    m_queue.clear();
    m_stream = true;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_master = fd;
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyAdapter::OnReadable);
}

void PtyAdapter::OnClient() {
    const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0) return;
    if (m_master >= 0) { // one client at a time, as the adapter's own server takes
        ::close(client);
        return;
    }
    m_master = client;
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyAdapter::OnReadable);
}

bool PtyAdapter::Start() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        Unplug();
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    // Holding the slave open keeps the master readable while the program has
    // the port closed.
    m_slave = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        Unplug();
        return false;
    }
    termios raw{};
    if (tcgetattr(m_slave, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_slave, TCSANOW, &raw);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyAdapter::OnReadable);
    return true;
}

bool PtyAdapter::LinkAs(const QString& linkPath) {
    if (QFileInfo(linkPath).isSymLink()) QFile::remove(linkPath);
    if (!QFile::link(m_slavePath, linkPath)) {
        m_error = QStringLiteral("cannot create the link %1").arg(linkPath);
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

void PtyAdapter::Unplug() {
    m_pumpTimer.stop();
    m_queue.clear();
    m_notifier.reset();
    const bool wasPlugged = m_master >= 0;
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = m_master = -1;
    if (wasPlugged) emit unplugged();
}

void PtyAdapter::UnplugOnceRead(qint64 latestAt) {
    // What was sent reaches the host before the line goes dead: a hung-up
    // pseudo-terminal drops what its reader had not taken yet, however busy
    // the machine was. A host that reads nothing gets its plug pulled anyway.
    int unread = 0;
    if (m_slave >= 0 && ::ioctl(m_slave, TIOCINQ, &unread) == 0 && unread > 0 &&
        m_clock.elapsed() < latestAt) {
        QTimer::singleShot(5, this, [this, latestAt] { UnplugOnceRead(latestAt); });
        return;
    }
    Unplug();
}

QStringList PtyAdapter::ReceivedCommands() const {
    QStringList commands;
    QByteArray line;
    for (const char c : m_received) {
        if (c == '\r') {
            commands << QString::fromLatin1(line);
            line.clear();
        } else if (c != '\n') {
            line += c;
        }
    }
    return commands;
}

bool PtyAdapter::SpeedMismatch() const {
    const int expected = m_adapter.Options().expectBaud;
    if (expected <= 0 || m_slave < 0) return false;
    // The program sets the speed on the slave side; that is where it can be read.
    termios settings{};
    if (tcgetattr(m_slave, &settings) != 0) return false;
    return SpeedOf(cfgetospeed(&settings)) != expected;
}

void PtyAdapter::OnReadable() {
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n == 0 && (m_listen >= 0 || m_stream)) {
        // The WiFi client left, or the Bluetooth link closed: wait for the next one.
        m_queue.clear();
        m_notifier.reset();
        ::close(m_master);
        m_master = -1;
        return;
    }
    if (n <= 0) return;
    const QByteArray bytes(buffer, static_cast<qsizetype>(n));
    m_received += bytes;
    Trace("<-", bytes);
    if (SpeedMismatch()) {
        // At the wrong speed the adapter sees noise and answers with noise.
        QByteArray noise;
        for (qsizetype i = 0; i < bytes.size(); ++i)
            noise += (i % 2) ? '\xF8' : '\x80';
        Pending pending;
        pending.bytes = noise;
        pending.enqueuedAt = m_clock.elapsed();
        m_queue.push_back(pending);
        Pump();
        return;
    }
    for (const char c : bytes)
        Feed(c);
}

void PtyAdapter::Feed(char byte) {
    if (m_adapter.Options().strict && RequestInProgress()) {
        // Any byte during a request interrupts it.
        while (!m_queue.empty() && m_queue.front().isRequest)
            m_queue.pop_front();
        Answer stopped;
        stopped.segments.push_back({0, m_adapter.StoppedText()});
        Enqueue(stopped);
    }
    // What repeats without end stops once the host sends something.
    std::erase_if(m_queue, [](const Pending& pending) { return pending.repeatMs > 0; });
    for (const Answer& answer : m_adapter.Receive(QByteArray(1, byte)))
        Enqueue(answer);
}

bool PtyAdapter::RequestInProgress() const {
    for (const Pending& pending : m_queue) {
        if (pending.isRequest) return true;
    }
    return false;
}

void PtyAdapter::Enqueue(const Answer& answer) {
    const SimOptions& options = m_adapter.Options();
    for (const Segment& segment : answer.segments) {
        Pending pending;
        pending.bytes = segment.bytes;
        pending.delayMs = segment.delayMs;
        pending.enqueuedAt = m_clock.elapsed();
        pending.command = answer.command;
        pending.isRequest = answer.isRequest;
        pending.repeatMs = segment.repeatMs;
        m_queue.push_back(pending);
    }
    if (answer.isRequest && !options.lateLine.isEmpty() && !answer.segments.empty()) {
        Pending late;
        late.bytes = options.lateLine;
        late.delayMs = 0;
        late.enqueuedAt = m_clock.elapsed();
        m_queue.push_back(late);
    }
    if (!answer.command.isEmpty() && answer.command == options.unplugOn) {
        m_unplugCommand = answer.command;
        m_unplugCount = 0;
    }
    Pump();
}

void PtyAdapter::Pump() {
    const SimOptions& options = m_adapter.Options();
    const double scale = SimTimeScale();
    double byteMs = options.wireBaud > 0 ? 10000.0 * scale / options.wireBaud : 0.0;
    if (options.splitBytes) byteMs = std::max(byteMs, 1.0);
    while (!m_queue.empty() && m_master >= 0) {
        const double now = static_cast<double>(m_clock.elapsed());
        Pending& front = m_queue.front();
        if (front.dueAt < 0)
            front.dueAt =
                std::max(static_cast<double>(front.enqueuedAt), m_lastEnd) + front.delayMs * scale;
        if (now < front.dueAt) {
            m_pumpTimer.start(static_cast<int>(std::ceil(front.dueAt - now)));
            return;
        }
        qsizetype allowed = front.bytes.size();
        if (byteMs > 0)
            allowed = std::min<qsizetype>(allowed,
                                          static_cast<qsizetype>((now - front.dueAt) / byteMs) + 1);
        qsizetype count = allowed - front.sent;
        if (options.splitBytes) count = std::min<qsizetype>(count, 1);
        if (count <= 0 && front.sent < front.bytes.size()) { // (an empty segment is done)
            m_pumpTimer.start(std::max(1, static_cast<int>(byteMs)));
            return;
        }
        bool unplugNow = false;
        if (!m_unplugCommand.isEmpty() && front.command == m_unplugCommand) {
            const qsizetype left = options.unplugAfterBytes - m_unplugCount;
            if (count >= left) {
                count = std::max<qsizetype>(left, 0);
                unplugNow = true;
            }
        }
        const qsizetype written = WriteOut(front.bytes.mid(front.sent, count));
        front.sent += written;
        if (!m_unplugCommand.isEmpty() && front.command == m_unplugCommand)
            m_unplugCount += written;
        if (written < count) {
            m_pumpTimer.start(1);
            return;
        }
        if (unplugNow) {
            m_queue.clear();
            m_notifier.reset();
            m_unplugCommand.clear();
            QTimer::singleShot(50, this, [this] { UnplugOnceRead(m_clock.elapsed() + 2000); });
            return;
        }
        if (front.sent >= front.bytes.size()) {
            m_lastEnd = static_cast<double>(m_clock.elapsed());
            Pending again = front;
            m_queue.pop_front();
            if (again.repeatMs > 0) {
                again.sent = 0;
                again.dueAt = -1;
                again.delayMs = again.repeatMs;
                again.enqueuedAt = m_clock.elapsed();
                m_queue.push_back(again);
            }
        } else {
            m_pumpTimer.start(std::max(1, static_cast<int>(byteMs)));
            return;
        }
    }
}

qsizetype PtyAdapter::WriteOut(const QByteArray& bytes) {
    if (bytes.isEmpty() || m_master < 0) return 0;
    ssize_t n = -1;
    do
        n = ::write(m_master, bytes.constData(), static_cast<size_t>(bytes.size()));
    while (n < 0 && errno == EINTR);
    if (n <= 0) return 0; // the host is not reading: the rest waits in the queue
    m_sent += bytes.left(n);
    Trace("->", bytes.left(n));
    return n;
}

void PtyAdapter::Trace(const char* direction, const QByteArray& bytes) {
    if (m_trace) {
        emit traced(QStringLiteral("%1 %2 %3")
                        .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")),
                             QLatin1String(direction), Escaped(bytes)));
    }
}

} // namespace vorkelsim
