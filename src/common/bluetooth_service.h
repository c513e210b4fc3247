#pragma once

#include "common/bluetooth.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMap>
#include <QVariantMap>
#include <optional>

// The Bluetooth service's side of the one Linux-only seam: its bus, its
// questions, and its list of objects. Linux only.
namespace vorkel {

inline constexpr const char* BluezService = "org.bluez";

using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;

// The system bus, where DBUS_SYSTEM_BUS_ADDRESS says or at its usual place.
QDBusConnection Bus();

// A question, answered within a few seconds with the window live; one asked
// inside another is refused as asked already.
QDBusMessage AskService(const QDBusMessage& call);

// What an error in place of an answer says of the service; nothing for the
// service's own answer.
std::optional<BluetoothState> ServiceState(const QDBusMessage& reply);

// The service's objects, or what stands in the way.
struct Objects {
    BluetoothState state = BluetoothState::NoService;
    ManagedObjects objects;
};
Objects BluezObjects();

} // namespace vorkel
