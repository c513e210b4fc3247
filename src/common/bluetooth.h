#pragma once

#include <QIODevice>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// Bluetooth adapters reached through the computer's Bluetooth service (BlueZ
// on Linux, over the system D-Bus): the paired devices that offer the Serial
// Port service, and a connected socket to one of them, without rfcomm or
// root. Elsewhere a paired adapter is a COM port already, and none of this is
// offered. The one seam: bluetooth_linux.cpp, or bluetooth_elsewhere.cpp.
namespace vorkel {

inline constexpr const char* SerialPortServiceUuid = "00001101-0000-1000-8000-00805f9b34fb";

// How long the radio may take to page the adapter and open its serial port.
inline constexpr int BluetoothConnectMs = 15000;

struct BluetoothDevice {
    QString address; // "00:1D:A5:68:98:8B"
    QString name;    // as the desktop shows it ("OBDII")
};

// Busy: another question to the service is still waiting for its answer, so
// nothing is known yet; NotAnswering: the service holds its name but does not answer.
enum class BluetoothState {
    Ready,
    NotOnThisSystem,
    NoService,
    NoAdapter,
    Off,
    NonePaired,
    Busy,
    NotAnswering
};

struct BluetoothListing {
    BluetoothState state = BluetoothState::NotOnThisSystem;
    QList<BluetoothDevice> devices; // paired, offering the Serial Port service, by name
};

// Whether this system reaches Bluetooth adapters this way at all.
bool BluetoothOffered();

// The paired serial-port devices, or why there are none. Asks the service,
// bounded (a service that does not answer counts as not running).
BluetoothListing ListBluetoothAdapters();

// Six pairs of hexadecimal digits with colons, in upper case; nothing for
// anything else (any case is read).
std::optional<QString> ParseBluetoothAddress(const QString& text);

// "OBDII (00:1D:A5:68:98:8B)", as Setup lists it.
QString BluetoothListEntry(const BluetoothDevice& device);

// "Bluetooth OBDII 00:1D:A5:68:98:8B" for the status bar, the log and the job
// card; without the name where it is not known.
QString BluetoothAdapterText(const QString& address, const QString& name);

// The name the service knows the device by; empty when it does not answer.
// Asks only when no answer of the service has named it yet this run.
QString BluetoothDeviceName(const QString& address);

// What the listing's state means for Setup, and what to do; empty when Ready.
QString BluetoothStateWords(BluetoothState state);

// A connection being made: the device's serial port, within boundMs, the
// window live. Ends early when cancel becomes true (Setup, Exit).
struct BluetoothConnection {
    std::unique_ptr<QIODevice> channel; // open on success; its end closes the link
    QString name;                       // the device's name, when known
    bool cancelled = false;
    QString failure; // what went wrong, for the message's first line
    QString advice;  // and what to do
};
// The link it makes is this program's: closing the channel also asks the
// service to end it (the service keeps a copy of the socket). A link that
// failed or belongs to another program is never ended from here.
BluetoothConnection ConnectBluetooth(const QString& address, int boundMs, const bool& cancel);

// Told when the service hands over a link nobody waits for any more (an
// attempt given up); the link is ended all the same.
void SetLateBluetoothObserver(std::function<void()> observer);

} // namespace vorkel
