#include "link/serial_port.h"

#include "common/mscomm.h"
#include "common/port_device.h"
#include "common/shared_state.h"

#include <QFileInfo>
#include <QSerialPort>

namespace vorkel {

PortProbe ProbeOfFailedOpen(std::int16_t portNumber, const MSComm& comm) {
    PortProbe probe;
    const PortDevice device = DeviceForPort(portNumber);
    probe.device = device.shownName;
    probe.detail = comm.OpenError();
    switch (comm.OpenErrorCode()) {
    case QSerialPort::DeviceNotFoundError:
        probe.problem = PortProblem::NotFound;
        break;
    case QSerialPort::PermissionError: {
        // Qt says "permission" both for a device we may not open and for one
        // locked by another program; Windows, for a port another program has.
        if (!HasFileChecks(device.device)) {
            probe.problem = PortProblem::InUse;
            break;
        }
        const QFileInfo info(device.device);
        probe.problem =
            info.isReadable() && info.isWritable() ? PortProblem::InUse : PortProblem::NoPermission;
        if (probe.problem == PortProblem::InUse) {
            // A lock left by a program that was killed, which the serial port
            // code does not reclaim.
            const DeviceLock lock = LockOfDevice(device.device);
            if (const QString stale = StaleLockFile(lock); !stale.isEmpty()) {
                probe.problem = PortProblem::StaleLock;
                probe.detail = stale;
                probe.mayRemove = lock.removable;
            }
        }
        break;
    }
    case QSerialPort::OpenError:
        probe.problem = PortProblem::InUse;
        break;
    default:
        probe.problem = device.device.isEmpty() ? PortProblem::NotFound : PortProblem::Other;
        break;
    }
    return probe;
}

QString PortAndSpeedText(std::int16_t portNumber, const QString& speed) {
    return QStringLiteral("COM%1 (%2) at %3 baud")
        .arg(portNumber)
        .arg(DeviceForPort(portNumber).shownName, speed);
}

bool ComPortExists(std::int16_t portNumber) {
    return AssessComPort(portNumber).problem == PortProblem::None;
}

PortProbe FindComPort(std::int16_t portNumber) {
    PortProbe probe;
    const PortDevice device = DeviceForPort(portNumber);
    probe.device = device.shownName;
    if (!DevicePresent(device.device)) {
        probe.problem = PortProblem::NotFound;
    } else if (!IsSerialLine(device.device, probe.detail)) {
        probe.problem = probe.detail.isEmpty() ? PortProblem::NotFound : PortProblem::NotSerial;
    }
    return probe;
}

PortProbe AssessComPort(std::int16_t portNumber) {
    PortProbe probe = FindComPort(portNumber);
    const QString device = DeviceForPort(portNumber).device;
    if (probe.problem != PortProblem::None || !HasFileChecks(device)) return probe;
    const QFileInfo info(device);
    if (!info.isReadable() || !info.isWritable()) {
        probe.problem = PortProblem::NoPermission;
        return probe;
    }
    const DeviceLock lock = LockOfDevice(device);
    if (lock.ownerRunning) {
        probe.problem = PortProblem::InUse;
    } else if (const QString stale = StaleLockFile(lock); !stale.isEmpty()) {
        probe.problem = PortProblem::StaleLock;
        probe.detail = stale;
        probe.mayRemove = lock.removable;
    }
    return probe;
}

QString DescribeSerialDevices(std::int16_t leaveOut) {
    QStringList found;
    for (int port = 1; port <= 255; ++port) {
        if (port == leaveOut) continue;
        const PortProbe probe = AssessComPort(static_cast<std::int16_t>(port));
        if (probe.problem == PortProblem::NotFound || probe.problem == PortProblem::NotSerial)
            continue;
        QString entry = QStringLiteral("COM%1 is %2").arg(port).arg(probe.device);
        switch (probe.problem) {
        case PortProblem::NoPermission:
            entry += QStringLiteral(" (no permission: join dialout)");
            break;
        case PortProblem::InUse:
            entry += QStringLiteral(" (in use by another program)");
            break;
        case PortProblem::StaleLock:
            entry += QStringLiteral(" (blocked by the stale lock file %1)").arg(probe.detail);
            break;
        case PortProblem::None:
        case PortProblem::NotFound:
        case PortProblem::NotSerial:
        case PortProblem::Other:
            break;
        }
        found << entry;
    }
    if (found.isEmpty())
        return QStringLiteral("No other serial device was found on this computer: plug the "
                              "adapter in (a USB adapter appears as COM33 and up, a bound "
                              "Bluetooth one as COM97 and up).");
    return QStringLiteral("Serial devices on this computer: %1.")
        .arg(found.join(QStringLiteral("; ")));
}

QString DescribePortProblem(std::int16_t portNumber, const PortProbe& probe) {
    const QString tried =
        probe.device.isEmpty()
            ? QStringLiteral("COM%1 has no device on this computer.").arg(portNumber)
            : QStringLiteral("COM%1 is %2.").arg(portNumber).arg(probe.device);
    QString why;
    switch (probe.problem) {
    case PortProblem::None:
        return {};
    case PortProblem::NotFound:
        why = QStringLiteral("The device was not found: check that the adapter is plugged in, "
                             "and choose its port in Setup.");
        break;
    case PortProblem::NotSerial:
        return QStringLiteral("COM%1 is %2, which is not a serial port (%3): choose the adapter's "
                              "port in Setup.")
            .arg(portNumber)
            .arg(probe.device, probe.detail);
    case PortProblem::InUse:
        why = QStringLiteral("Another program is using the port: close it and try again.");
        break;
    case PortProblem::StaleLock:
        return tried + QLatin1Char('\n') +
               QStringLiteral("A stale lock file %1 blocks the port: the program that made it has "
                              "ended, and it is not cleared by itself. Remove it with: %2rm %1")
                   .arg(probe.detail, probe.mayRemove ? QString() : QStringLiteral("sudo "));
    case PortProblem::NoPermission:
        why = QStringLiteral("You may not open the port. Join the dialout group "
                             "(sudo usermod -aG dialout $USER), then log out and in again.");
        break;
    case PortProblem::Other:
        why = QStringLiteral("The port could not be opened.");
        break;
    }
    if (!probe.detail.isEmpty()) why += QStringLiteral(" (%1)").arg(probe.detail);
    return probe.device.isEmpty() ? tried : tried + QLatin1Char('\n') + why;
}

void OpenComPort(MSComm& comm) {
    ConfigurePort(comm, CommPortNumber, CommSpeed, NetworkAdapter, BluetoothAdapter);
    if (!comm.IsSerial() || FindComPort(CommPortNumber).problem == PortProblem::None)
        comm.setPortOpen(true);
}

void ConfigurePort(MSComm& comm, std::int16_t portNumber, const QString& speed,
                   const QString& network, const QString& bluetooth) {
    comm.setCommPort(portNumber);
    comm.setInputLen(1);
    comm.setSettings(speed + QStringLiteral(",n,8,1"));
    comm.setHandshaking(0);
    comm.setDTREnable(true);
    comm.setRTSEnable(true);
    comm.setRThreshold(1);
    comm.setSThreshold(1);
    comm.setNetworkAddress(network);
    comm.setBluetoothAddress(bluetooth);
}

} // namespace vorkel
