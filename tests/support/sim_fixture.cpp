#include "support/sim_fixture.h"

#include "cluster/cluster_state.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "personalities.h"
#include "private_bus.h"
#include "sim_arguments.h"

#include <QDir>
#include <QtTest>

namespace {

// One bus for the test's run, where its environment says the system bus is:
// the program's D-Bus library takes that address once, at its first use.
const QString& TestBusAddress() {
    static vorkelsim::PrivateBus bus;
    static const QString address = [] {
        const QString wanted = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        if (!bus.Start(wanted))
            qFatal("no bus of the test's own: %s", qPrintable(bus.ErrorString()));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().toLocal8Bit());
        return bus.Address();
    }();
    return address;
}

} // namespace

SimFixture::SimFixture(const vorkelsim::SimOptions& options, int comPort) : m_comPort(comPort) {
    vorkel::SetPortsFolder(m_dir.path());
    replace(options);
}

SimFixture::~SimFixture() {
    m_bluez.reset();
    m_sim.reset();
    vorkel::SetPortsFolder(QString());
}

void SimFixture::replace(const vorkelsim::SimOptions& options) {
    const bool bluetooth = m_bluez != nullptr;
    m_bluez.reset();
    m_sim.reset();
    m_sim = std::make_unique<vorkelsim::PtyAdapter>(options);
    if (bluetooth) {
        StartBluetooth();
        return;
    }
    if (m_tcpPort) {
        if (!m_sim->StartTcp(m_tcpPort))
            qFatal("no TCP port: %s", qPrintable(m_sim->ErrorString()));
        return;
    }
    if (!m_sim->Start()) qFatal("no pseudo-terminal: %s", qPrintable(m_sim->ErrorString()));
    if (!m_sim->LinkAs(QDir(m_dir.path()).filePath(QStringLiteral("COM%1").arg(m_comPort))))
        qFatal("cannot link the simulator: %s", qPrintable(m_sim->ErrorString()));
}

QString SimFixture::useTcp() {
    const vorkelsim::SimOptions options = m_sim->Adapter().MutableOptions();
    m_sim.reset();
    m_sim = std::make_unique<vorkelsim::PtyAdapter>(options);
    if (!m_sim->StartTcp(0)) qFatal("no TCP port: %s", qPrintable(m_sim->ErrorString()));
    m_tcpPort = m_sim->TcpPort();
    return QStringLiteral("127.0.0.1:%1").arg(m_tcpPort);
}

QString SimFixture::useBluetooth() {
    const vorkelsim::SimOptions options = m_sim->Adapter().MutableOptions();
    m_sim.reset();
    m_sim = std::make_unique<vorkelsim::PtyAdapter>(options);
    StartBluetooth();
    return options.bluetooth.address;
}

void SimFixture::StartBluetooth() {
    m_bluez = std::make_unique<vorkelsim::BluezStandIn>(
        TestBusAddress(), m_sim->Adapter().MutableOptions().bluetooth, m_sim.get());
    if (!m_bluez->Start()) qFatal("no Bluetooth stand-in: %s", qPrintable(m_bluez->ErrorString()));
}

std::unique_ptr<vorkelsim::PtyAdapter> SimFixture::addPort(int comPort,
                                                           const vorkelsim::SimOptions& options) {
    auto sim = std::make_unique<vorkelsim::PtyAdapter>(options);
    if (!sim->Start() ||
        !sim->LinkAs(QDir(m_dir.path()).filePath(QStringLiteral("COM%1").arg(comPort))))
        qFatal("cannot start a second simulator");
    return sim;
}

vorkelsim::SimOptions FastAdapter() {
    vorkelsim::SimOptions options;
    vorkelsim::ApplyPersonality(QStringLiteral("genuine"), options);
    options.resetDelayMs = 0;
    return options;
}

vorkelsim::SimOptions SimFromArguments(const QStringList& arguments) {
    const vorkelsim::SimCommandLine line = vorkelsim::ParseSimArguments(
        QStringList{QStringLiteral("vorkel-sim")} + arguments, QString());
    if (!line.error.isEmpty()) qFatal("bad simulator arguments: %s", qPrintable(line.error));
    vorkelsim::SimOptions options = line.options;
    if (!arguments.contains(QStringLiteral("--reset-delay")) &&
        !arguments.contains(QStringLiteral("--personality")))
        options.resetDelayMs = 0;
    return options;
}

QStringList KnownDescriptionLines() {
    return {"B1201,Fuel Sender Circuit Failure",
            "B1317,Battery Voltage High",
            "B1318,Battery Voltage Low",
            "B1342,EE checksum Internal data failure",
            "B1499,Turn Signal Left Circuit Bulb out",
            "B1503,Turn Signal Right Circuit Bulb out",
            "B1579,Dim Increase circuit failure",
            "B1583,Dim Decrease circuit failure",
            "B1875,Turn Signal / Hazard Switch failure",
            "B2675,Trip reset button stuck",
            "B2680,Odometer Changed",
            "B2681,PRND Sender Failure",
            "B2895,Trip Mode Switch Circuit failure",
            "B2896,Odometer Data Failure",
            "U1900,CAN Comms Bus Fault Receive Error",
            "U2196,Invalid Engine RPM data",
            "U2197,Invalid Vehicle Speed data",
            "U2198,Invalid Fuel Pulse Data",
            "U2199,Invalid Engine Coolant Temp Data",
            "U2200,Invalid ODO Count Data"};
}

void UseComPort(int port) {
    vorkel::CommPortNumber = static_cast<std::int16_t>(port);
    vorkel::CommSpeed = QStringLiteral("38400");
    vorkel::NetworkAdapter.clear();
    vorkel::BluetoothAdapter.clear();
    vorkel::AdapterState = vorkel::AdapterNotInitialised;
    vorkel::DtcCount = 0;
    vorkel::DtcCodes.fill(QString());
    vorkel::PartPrefix.clear();
    vorkel::PartBaseText.clear();
    vorkel::ClusterCodes.fill(QString());
    vorkel::SuffixLetters.fill(QString());
    vorkel::PartSuffix.clear();
    vorkel::ClusterModel.clear();
}

void SimFixture::hideOtherPorts(const QList<int>& simulated) const {
    for (int port = 1; port <= 255; ++port) {
        if (!simulated.contains(port))
            QFile::link(QStringLiteral("/dev/null/none"),
                        portsDir() + QStringLiteral("/COM%1").arg(port));
    }
}
