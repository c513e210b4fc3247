#pragma once

#include <QString>
#include <cstdint>

class QListWidget;

namespace vorkel {

class MSComm;

enum class PortProblem { None, NotFound, InUse, StaleLock, NoPermission, Other };

struct PortProbe {
    PortProblem problem = PortProblem::None;
    QString device; // what was tried: the device or link name
    QString detail; // the system's reason, when there is one; the lock file for StaleLock
};

// Whether COM port n can be opened exclusively right now, and if not, why.
// Leaves nothing open.
PortProbe ProbeComPort(std::int16_t portNumber);
bool ComPortExists(std::int16_t portNumber);

// What can be told of COM port n without opening it: whether its device is
// there, whether we may open it, and whether a lock file holds it. Nothing is
// sent and no handle is opened.
PortProbe AssessComPort(std::int16_t portNumber);

// The serial devices present, by COM number, each with why it cannot be
// used where that is known: "COM33 is /dev/ttyUSB0 (no permission: join
// dialout)". The port given is left out.
QString DescribeSerialDevices(std::int16_t leaveOut);

// Plain words for a failed probe, for the second paragraph of a message box.
QString DescribePortProblem(std::int16_t portNumber, const PortProbe& probe);

// Configures the control from CommPortNumber and CommSpeed (8N1, no flow
// control, DTR and RTS on, one character per read) and opens the port when
// the port test allows it.
void OpenComPort(MSComm& comm);

// Index of the first entry that begins with text, compared without regard to
// case; -1 when none does.
int FindListEntry(const QString& text, const QListWidget* list);

} // namespace vorkel
