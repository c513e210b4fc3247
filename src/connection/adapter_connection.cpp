#include "connection/adapter_connection.h"

#include "cluster/cluster_functions.h"
#include "common/message.h"
#include "common/mscomm.h"
#include "common/network_address.h"
#include "common/pause.h"
#include "common/shared_state.h"
#include "common/wait_steps.h"
#include "dtc/dtc_count.h"
#include "link/exchange.h"
#include "link/serial_port.h"
#include "link/speed_search.h"

#include <QTimer>

namespace vorkel {
namespace {

void ReportPortProblem(const QString& informative) {
    Message message;
    message.text = QStringLiteral("ERROR! Comm Port is either in use or not found!");
    message.title = QStringLiteral("ERROR!");
    // Which port is the adapter, then? The devices that are there, without
    // opening or sending anything to any of them.
    message.informative = informative + QLatin1Char('\n') + DescribeSerialDevices(CommPortNumber);
    message.icon = MessageIcon::Critical;
    ShowMessage(message);
}

QString WithoutClosingLineEnds(QString text) {
    if (text.endsWith(QLatin1Char('>'))) text.chop(1);
    while (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

// Nobody at a network adapter's address, or nobody in time.
void ReportNetworkProblem(const MSComm& comm) {
    Message message;
    message.title = QStringLiteral("ERROR!");
    message.text = QStringLiteral("No adapter answers at %1.").arg(comm.NetworkAddress());
    message.informative =
        QStringLiteral("%1.\n\nIs this computer on the adapter's WiFi network? Join the network "
                       "the adapter makes (switch the ignition on first), check the address in "
                       "Setup (most WiFi adapters are at %2:%3), then press Connect.")
            .arg(comm.OpenError())
            .arg(QLatin1String(DefaultAdapterHost))
            .arg(DefaultAdapterPort);
    message.icon = MessageIcon::Critical;
    ShowMessage(message);
}

// A Bluetooth adapter that could not be reached: the service's state in words.
void ReportBluetoothProblem(const MSComm& comm) {
    Message message;
    message.title = QStringLiteral("ERROR!");
    message.text = comm.OpenError();
    message.informative = comm.OpenAdvice();
    message.icon = MessageIcon::Critical;
    ShowMessage(message);
}

// Opens the chosen port, or connects to the network or Bluetooth adapter; says why not.
bool OpenAdapterPort(MSComm& comm) {
    ConfigurePort(comm, CommPortNumber, CommSpeed, NetworkAdapter, BluetoothAdapter);
    if (comm.IsBluetooth()) {
        if (!comm.setPortOpen(true) && !comm.OpenCancelled()) ReportBluetoothProblem(comm);
        return comm.PortOpen();
    }
    if (comm.IsNetwork()) {
        if (!comm.setPortOpen(true) && !comm.OpenCancelled()) ReportNetworkProblem(comm);
        return comm.PortOpen();
    }
    // The port is opened once, and that open decides whether it is free: a
    // lock file's pid may belong to another process by now. Before it, only
    // whether there is a serial line at all.
    const PortProbe probe = FindComPort(CommPortNumber);
    if (probe.problem != PortProblem::None) {
        ReportPortProblem(DescribePortProblem(CommPortNumber, probe));
        return false;
    }
    if (!comm.setPortOpen(true)) {
        // A speed the port cannot use is the control's refusal, not the device's.
        ReportPortProblem(
            comm.OpenErrorCode() == QSerialPort::NoError
                ? QStringLiteral("COM%1: %2").arg(CommPortNumber).arg(comm.OpenError())
                : DescribePortProblem(CommPortNumber, ProbeOfFailedOpen(CommPortNumber, comm)));
        return false;
    }
    return true;
}

} // namespace

QString AdapterBanner(const QString& resetAnswer) {
    const qsizetype elm = resetAnswer.indexOf(QLatin1String("ELM"));
    if (elm < 0) {
        // An adapter that announces itself differently: its last line before the
        // prompt (the first line is the echo of "atz").
        const QStringList lines =
            WithoutClosingLineEnds(resetAnswer).split(QLatin1Char('\r'), Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last().trimmed();
    }
    return WithoutClosingLineEnds(resetAnswer.mid(elm));
}

void SendSetUpCommands(Exchange& exchange) {
    for (const char* command : SetUpCommands) {
        exchange.Send(QString::fromLatin1(command));
        exchange.GatherUntil(
            [](const QString& gathered) { return gathered.contains(QLatin1String("OK\r")); }, true);
        exchange.Finish();
    }
}

AdapterReading ConnectToAdapter(MSComm& comm, QTimer& timeOut, ReadingView& view,
                                const std::function<void()>& portOpened) {
    AdapterState = AdapterNotInitialised;
    AdapterReading reading;
    if (!OpenAdapterPort(comm)) return reading;
    reading.opened = true;
    // The service has named the Bluetooth adapter now.
    if (comm.IsBluetooth()) view.LinkNamed(comm.LinkName());
    // Nothing of the car before may stand beside what this one says.
    view.PortOpened();
    if (portOpened) portOpened();

    Exchange exchange(comm);
    exchange.Send(QStringLiteral("atz"));
    timeOut.setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    timeOut.setInterval(Scaled(ConnectionTimeoutMs));
    timeOut.start();
    view.Connecting();

    TellWaiting(QLatin1String(StepResetting), Scaled(ConnectionTimeoutMs));
    const QString resetAnswer = exchange.WaitForBanner();
    // The adapter has answered: from here a slow link is not a silent adapter,
    // and each later wait has bounds of its own.
    timeOut.stop();
    reading.banner = AdapterBanner(resetAnswer);
    view.AdapterAnswered(reading.banner);

    TellWaiting(QLatin1String(StepSettingUp), Scaled(CurrentLinkLimits().endlessAnswerMs));
    SendSetUpCommands(exchange);

    Pause(250);
    reading.cluster = ReadClusterIdentity(comm, view);
    Pause(250);
    reading.count = ReadCodeCount(comm);
    view.Counted(reading.count);
    view.Connected();
    AdapterState = AdapterInitialised;
    return reading;
}

} // namespace vorkel
