// Questions to the Bluetooth service (BlueZ) on the system bus, one at a
// time and bounded, and what an answer that did not come says of the service.
#include "common/bluetooth_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QScopedValueRollback>

namespace vorkel {
namespace {

const QString Bluez = QString::fromLatin1(BluezService);

// A service that takes longer than this to answer a question does not answer.
// bluetoothd answers within milliseconds; a busy machine may take a second or
// two. The window stays live while it is asked, as in every wait.
constexpr int ServiceAnswerMs = 5000;
const QString AskedAlready = QStringLiteral("au.vorkel.Error.AskedAlready");

} // namespace

// The system bus, where DBUS_SYSTEM_BUS_ADDRESS says or at its usual place;
// a connection that failed or broke is tried again next time (the service
// may have been started since).
QDBusConnection Bus() {
    const QString name = QStringLiteral("vorkel-bluetooth");
    if (const QDBusConnection bus(name); bus.isConnected()) return bus;
    QDBusConnection::disconnectFromBus(name);
    QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    if (address.isEmpty()) address = QStringLiteral("unix:path=/var/run/dbus/system_bus_socket");
    return QDBusConnection::connectToBus(address, name);
}

// One question to the service at a time. The window stays live while it is
// asked, so whatever runs meanwhile could ask again inside the wait; such a
// nested wait need not end (seen with Qt 6.4): it is refused instead, as
// asked already, which says nothing about the service.
QDBusMessage AskService(const QDBusMessage& call) {
    static bool asking = false;
    if (asking)
        return call.createErrorReply(AskedAlready,
                                     QStringLiteral("the Bluetooth service is being asked"));
    const QScopedValueRollback busy(asking, true);
    return Bus().call(call, QDBus::BlockWithGui, ServiceAnswerMs);
}

// What an error in place of an answer says of the service itself: a question
// still waiting is no fact about it, and one that holds its name but never
// answers is not "not running".
std::optional<BluetoothState> ServiceState(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ErrorMessage) return std::nullopt;
    const QString name = reply.errorName();
    if (name == AskedAlready) return BluetoothState::Busy;
    const QDBusError::ErrorType type = QDBusError(reply).type();
    if (type == QDBusError::NoReply || type == QDBusError::Timeout || type == QDBusError::TimedOut)
        return Bus().interface()->isServiceRegistered(Bluez).value() ? BluetoothState::NotAnswering
                                                                     : BluetoothState::NoService;
    if (type == QDBusError::ServiceUnknown || type == QDBusError::Disconnected ||
        name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return BluetoothState::NoService;
    return std::nullopt; // the service's own answer
}

Objects BluezObjects() {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ManagedObjects>();
    if (!Bus().isConnected()) return {};
    const QDBusMessage call = QDBusMessage::createMethodCall(
        Bluez, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
        QStringLiteral("GetManagedObjects"));
    const QDBusMessage answer = AskService(call);
    if (const std::optional<BluetoothState> state = ServiceState(answer)) return {*state, {}};
    const QDBusReply<ManagedObjects> reply = answer;
    if (!reply.isValid()) return {};
    return {BluetoothState::Ready, reply.value()};
}

} // namespace vorkel
