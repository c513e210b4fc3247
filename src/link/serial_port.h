#pragma once

#include <QString>
#include <cstdint>

namespace vorkel {

class MSComm;

enum class PortProblem { None, NotFound, NotSerial, InUse, StaleLock, NoPermission, Other };

struct PortProbe {
    PortProblem problem = PortProblem::None;
    QString device;         // what was tried: the device or link name
    QString detail;         // the system's reason, when there is one; the lock file for StaleLock;
                            // what the device is for NotSerial ("a FIFO")
    bool mayRemove = false; // StaleLock: the lock file is ours to remove, no sudo needed
};

// Whether COM port n has a device that is a serial line: what Connect asks
// before its one open, which alone decides whether the port is free.
PortProbe FindComPort(std::int16_t portNumber);

// Whether COM port n could be opened exclusively right now, and if not, why,
// told without opening it: whether its device is there and is a serial line,
// whether we may open it, and whether a lock file holds it (for Setup's list
// and the list of devices in a message). Opening a serial device is not a
// harmless question (it toggles DTR and RTS, which resets Arduino-type
// boards, and starts a Bluetooth connection), so nothing is opened or sent.
PortProbe AssessComPort(std::int16_t portNumber);
bool ComPortExists(std::int16_t portNumber);

// Why the control's open of COM port n failed, in the same terms.
PortProbe ProbeOfFailedOpen(std::int16_t portNumber, const MSComm& comm);

// The serial devices present, by COM number, each with why it cannot be
// used where that is known: "COM33 is /dev/ttyUSB0 (no permission: join
// dialout)". The port given is left out.
QString DescribeSerialDevices(std::int16_t leaveOut);

// Plain words for a failed probe, for the second paragraph of a message box.
QString DescribePortProblem(std::int16_t portNumber, const PortProbe& probe);

// Configures the control from CommPortNumber and CommSpeed (8N1, no flow
// control, DTR and RTS on, one character per read) and opens the port when
// it has a serial line (FindComPort); the open itself says whether it is free.
// With a NetworkAdapter or BluetoothAdapter chosen, connects to that instead.
void OpenComPort(MSComm& comm);
// The same configuration for any port, speed, network address or Bluetooth
// address, without opening.
void ConfigurePort(MSComm& comm, std::int16_t portNumber, const QString& speed,
                   const QString& network, const QString& bluetooth = {});

// "COM7 (/dev/ttyUSB0) at 38400 baud": a COM port as the job card and the
// check name it.
QString PortAndSpeedText(std::int16_t portNumber, const QString& speed);

} // namespace vorkel
