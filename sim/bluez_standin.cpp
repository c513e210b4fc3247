#include "bluez_standin.h"

#include "pty_adapter.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QUuid>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorkelsim {
namespace {

using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

const QString AdapterPath = QStringLiteral("/org/bluez/hci0");
const char* const SerialPort = "00001101-0000-1000-8000-00805f9b34fb";

} // namespace

BluezStandIn::BluezStandIn(const QString& busAddress, const SimBluetooth& options, PtyAdapter* line)
    : m_connectionName(QStringLiteral("vorkel-sim-bluez-") + QUuid::createUuid().toString()),
      m_bus(QDBusConnection::connectToBus(busAddress, m_connectionName)), m_options(options),
      m_line(line) {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ObjectMap>();
}

BluezStandIn::~BluezStandIn() {
    if (m_kept >= 0) ::close(m_kept);
    m_bus.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
    m_bus.unregisterService(QStringLiteral("org.bluez"));
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool BluezStandIn::Start() {
    if (!m_bus.isConnected()) {
        m_error = QStringLiteral("no bus: %1").arg(m_bus.lastError().message());
        return false;
    }
    if (!m_options.service) return true; // nobody answers for org.bluez
    if (!m_bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath) ||
        !m_bus.registerService(QStringLiteral("org.bluez"))) {
        m_error = m_bus.lastError().message();
        return false;
    }
    return true;
}

QString BluezStandIn::DevicePath() const {
    return AdapterPath + QStringLiteral("/dev_") +
           QString(m_options.address).replace(QLatin1Char(':'), QLatin1Char('_'));
}

QString BluezStandIn::introspect(const QString&) const {
    return {};
}

QDBusMessage BluezStandIn::ManagedObjects(const QDBusMessage& call) const {
    ObjectMap objects;
    if (m_options.adapter) {
        objects.insert(QDBusObjectPath(AdapterPath),
                       {{QStringLiteral("org.bluez.Adapter1"),
                         {{QStringLiteral("Address"), QStringLiteral("00:11:22:33:44:55")},
                          {QStringLiteral("Powered"), m_options.powered}}}});
        objects.insert(
            QDBusObjectPath(DevicePath()),
            {{QStringLiteral("org.bluez.Device1"),
              {{QStringLiteral("Address"), m_options.address},
               {QStringLiteral("Alias"), m_options.name},
               {QStringLiteral("Paired"), m_options.paired},
               {QStringLiteral("Adapter"), QVariant::fromValue(QDBusObjectPath(AdapterPath))},
               {QStringLiteral("UUIDs"), QStringList{QLatin1String(SerialPort)}}}}});
    }
    return call.createReply(QVariant::fromValue(objects));
}

void BluezStandIn::ConnectProfile(const QDBusMessage& call) {
    if (!m_options.powered) {
        m_bus.send(call.createErrorReply(QStringLiteral("org.bluez.Error.NotReady"),
                                         QStringLiteral("Resource Not Ready")));
        return;
    }
    // A link whose adapter end went (out of range, unplugged) is seen hung up.
    if (m_kept >= 0) {
        pollfd watched{m_kept, POLLIN, 0};
        if (::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLHUP | POLLERR))) {
            ::close(m_kept);
            m_kept = -1;
        }
    }
    // Someone else's link, or someone else's page, comes first.
    if (m_kept >= 0 || m_options.heldByOther) {
        m_bus.send(call.createErrorReply(QStringLiteral("org.bluez.Error.AlreadyConnected"),
                                         QStringLiteral("Already Connected")));
        return;
    }
    if (m_unanswered || m_handingOver || m_options.beingConnected) {
        m_bus.send(call.createErrorReply(QStringLiteral("org.bluez.Error.InProgress"),
                                         QStringLiteral("In Progress")));
        return;
    }
    if (!m_options.answersPage) {
        m_unanswered = call; // out of range: the page never finds it
        return;
    }
    if (m_profilePath.isEmpty()) {
        m_bus.send(call.createErrorReply(QStringLiteral("org.bluez.Error.NotAvailable"),
                                         QStringLiteral("Operation currently not available")));
        return;
    }
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0 || !m_line) {
        m_bus.send(call.createErrorReply(QStringLiteral("org.bluez.Error.Failed"),
                                         QStringLiteral("br-connection-unknown")));
        return;
    }
    m_line->TakeStream(ends[0]);
    QDBusMessage handOver = QDBusMessage::createMethodCall(m_profileOwner, m_profilePath,
                                                           QStringLiteral("org.bluez.Profile1"),
                                                           QStringLiteral("NewConnection"));
    handOver << QVariant::fromValue(QDBusObjectPath(DevicePath()))
             << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1])) << QVariantMap();
    // The service keeps a copy of what it hands over, watching it for the hang-up.
    m_kept = ends[1];
    m_handingOver = true;
    // As the service does: the socket first, then the answer to ConnectProfile.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(handOver), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, call, watcher] {
        m_handingOver = false;
        m_bus.send(call.createReply());
        watcher->deleteLater();
    });
}

bool BluezStandIn::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (!m_options.answers) {
        ++m_held; // never answered
        return true;
    }
    const QString member = message.member();
    if (member == QLatin1String("GetManagedObjects")) {
        ++m_listings;
        m_bus.send(ManagedObjects(message));
    } else if (member == QLatin1String("RegisterProfile")) {
        m_profilePath = message.arguments().value(0).value<QDBusObjectPath>().path();
        m_profileOwner = message.service();
        m_bus.send(message.createReply());
    } else if (member == QLatin1String("UnregisterProfile")) {
        m_profilePath.clear();
        m_bus.send(message.createReply());
    } else if (member == QLatin1String("ConnectProfile") && message.path() == DevicePath()) {
        ConnectProfile(message);
    } else if (member == QLatin1String("DisconnectProfile") && message.path() == DevicePath()) {
        // It ends the device's link, whoever made it.
        ++m_disconnects;
        m_unanswered.reset();
        if (m_kept >= 0) ::close(m_kept);
        m_kept = -1;
        m_options.heldByOther = false;
        if (m_line) m_line->Unplug();
        m_bus.send(message.createReply());
    } else {
        m_bus.send(
            message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                     QStringLiteral("not played by the simulator")));
    }
    return true;
}

} // namespace vorkelsim
