// Systems where a paired Bluetooth adapter is already a COM port: nothing to
// ask, and Setup offers no Bluetooth choice.
#include "common/bluetooth.h"

namespace vorkel {

bool BluetoothOffered() {
    return false;
}

BluetoothListing ListBluetoothAdapters() {
    return {};
}

QString BluetoothDeviceName(const QString&) {
    return {};
}

BluetoothConnection ConnectBluetooth(const QString&, int, const bool&) {
    BluetoothConnection result;
    result.failure = BluetoothStateWords(BluetoothState::NotOnThisSystem);
    return result;
}

void SetLateBluetoothObserver(std::function<void()>) {}

} // namespace vorkel
