// What every system has of Bluetooth adapters: their addresses and the words
// about them. The service itself is asked in bluetooth_linux.cpp.
#include "common/bluetooth.h"

#include <QRegularExpression>

namespace vorkel {

std::optional<QString> ParseBluetoothAddress(const QString& text) {
    static const QRegularExpression address(QStringLiteral("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}$"));
    if (!address.match(text).hasMatch()) return std::nullopt;
    return text.toUpper();
}

QString BluetoothListEntry(const BluetoothDevice& device) {
    return QStringLiteral("%1 (%2)").arg(device.name, device.address);
}

QString BluetoothAdapterText(const QString& address, const QString& name) {
    return name.isEmpty() || name == address ? QStringLiteral("Bluetooth %1").arg(address)
                                             : QStringLiteral("Bluetooth %1 %2").arg(name, address);
}

QString BluetoothStateWords(BluetoothState state) {
    switch (state) {
    case BluetoothState::Ready:
        return {};
    case BluetoothState::NotOnThisSystem:
        return QStringLiteral("On this system a paired Bluetooth adapter is a COM port: choose "
                              "it among the ports.");
    case BluetoothState::NoService:
        return QStringLiteral("The Bluetooth service is not running on this computer: start it "
                              "(sudo systemctl start bluetooth), then open Setup again.");
    case BluetoothState::NoAdapter:
        return QStringLiteral("This computer has no Bluetooth adapter: plug in a Bluetooth "
                              "dongle, or use a USB or WiFi adapter.");
    case BluetoothState::Off:
        return QStringLiteral("Bluetooth is switched off: switch it on in your desktop's "
                              "Bluetooth settings, then open Setup again.");
    case BluetoothState::Busy:
        return QStringLiteral("The Bluetooth service is still answering another question: "
                              "Setup asks it again in a moment.");
    case BluetoothState::NotAnswering:
        return QStringLiteral("The Bluetooth service does not answer: restart it (sudo "
                              "systemctl restart bluetooth), then open Setup again.");
    case BluetoothState::NonePaired:
        break;
    }
    return QStringLiteral(
        "No paired device offers a serial port: pair the adapter in your "
        "desktop's Bluetooth settings (PIN 1234 or 0000), then open Setup again.");
}

} // namespace vorkel
