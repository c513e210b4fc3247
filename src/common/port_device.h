#pragma once

#include <QString>
#include <QStringList>

// The one place that knows how a COM port number becomes a device, and the
// platform's other facts about files: what kind a device is, lock files,
// owners, and files of our own kept safe from links, FIFOs and other programs.
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

// Whether a present device is a serial line: a character device of the tty
// kind, or a pseudo-terminal (vorkel-sim, socat). A link in ports/ may lead
// anywhere (/dev/null, a FIFO, a folder); why set to what it is when it is
// not one, e.g. "a FIFO". A Windows port name is one when the system lists it.
bool IsSerialLine(const QString& device, QString& why);

// A Windows port name (\\.\COMn) is no file: the system's list of ports
// says whether it is there, and only opening it tells whether it is free;
// a device file also has access rights and lock files to look at first.
bool HasFileChecks(const QString& device);

// A built-in serial port with no UART behind it: a ttyS device whose sysfs
// type (/sys/class/tty/ttySn/type, given as read) is 0.
bool IsPlaceholderPort(const QString& device, const QByteArray& sysfsType);

// The lock file that holds a serial device, and whether its process still
// runs; nothing is opened.
struct DeviceLock {
    QString path;              // empty: no lock file
    bool ownerRunning = false; // a garbled pid, one no process can have, or one that now
                               // runs another program is stale
    bool removable = false;    // we may delete it (our own, or we are root)
    bool garbled = false;      // unreadable, or a pid of 0 or less: the serial port code never
                               // reclaims it
};
DeviceLock LockOfDevice(const QString& device);

// The lock file that a serial device's last user left behind although its
// process has ended (a program killed without closing the port), and that
// blocks the device: we may not remove it, or it is garbled; empty when there
// is none.
QString StaleLockFile(const QString& device);
QString StaleLockFile(const DeviceLock& lock);

// A file that root made in a folder of another user's becomes that user's
// (sudo vorkel from a user's folder), so the user can still change it. A link
// there is never followed: its target stays whose it was.
void GiveToFolderOwner(const QString& file);

// A file of the program's own (the adapter log), opened for reading and
// appending only when it is a regular file and never through a link: a link,
// FIFO, device or folder put in its place is neither written nor waited on.
// The handle is for QFile::open(int); -1, with why, when it cannot be.
int OpenOwnFile(const QString& path, QString& why);
// Puts a file of ours in the place of another in one step (the old one
// goes); false, with why, when the system refuses.
bool MoveOver(const QString& from, const QString& to, QString& why);
// What stands at path when it is there and is no regular file ("a link", "a
// FIFO"); empty for a regular file or nothing.
QString NotARegularFile(const QString& path);
// Takes or lets go of the lock that keeps the appends of two programs that
// share the file apart; bounded: false when another holds it too long.
bool LockOwnFile(int handle, bool lock);
// Whether the open file is still the one at path (another program may have
// moved it aside).
bool IsFileAt(int handle, const QString& path);

// The folders searched for COMn links, in order: "ports" beside the program,
// then in the user's configuration folder; only the one set, when set.
QStringList PortsFolders();
void SetPortsFolder(const QString& folder);

} // namespace vorkel
