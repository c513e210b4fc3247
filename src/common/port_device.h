#pragma once

#include <QString>
#include <QStringList>

// The one place that knows how a COM port number becomes a device, and the
// platform's other facts about files: lock files and owners.
namespace vorkel {

struct PortDevice {
    QString shownName; // what the user recognises: "/dev/ttyUSB0", or the link "ports/COM5"
    QString device;    // canonical device path to open; empty when nothing is there
};

// Windows: \\.\COMn. Linux: an entry "COMn" (a link to any device) in a
// folder "ports" beside the program or in the user's configuration folder, else COM1-32
// /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31, COM65-96 /dev/ttyACM0-31, COM97-128 /dev/rfcomm0-31.
PortDevice DeviceForPort(int portNumber);

// Whether a device is really there: the file exists and, for the built-in
// serial ports, a UART stands behind it (Linux makes ttyS0-31 whether or not).
bool DevicePresent(const QString& device);

// A built-in serial port with no UART behind it: a ttyS device whose sysfs
// type (/sys/class/tty/ttySn/type, given as read) is 0.
bool IsPlaceholderPort(const QString& device, const QByteArray& sysfsType);

// The lock file that holds a serial device, and whether its process still
// runs; nothing is opened.
struct DeviceLock {
    QString path;              // empty: no lock file
    bool ownerRunning = false; // a garbled pid, or one no process can have, is stale
    bool removable = false;    // we may delete it (our own, or we are root)
    bool garbled = false;      // no pid a process can have: the serial port code never reclaims it
};
DeviceLock LockOfDevice(const QString& device);

// The lock file that a serial device's last user left behind although its
// process has ended (a program killed without closing the port), and that
// blocks the device: we may not remove it, or it is garbled; empty when there
// is none.
QString StaleLockFile(const QString& device);
QString StaleLockFile(const DeviceLock& lock);

// A file that root made in a folder of another user's becomes that user's
// (sudo vorkel from a user's folder), so the user can still change it.
void GiveToFolderOwner(const QString& file);

// The folders searched for COMn links, in order: "ports" beside the program,
// then in the user's configuration folder; only the one set, when set.
QStringList PortsFolders();
void SetPortsFolder(const QString& folder);

} // namespace vorkel
