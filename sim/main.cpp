#include "bluez_standin.h"
#include "private_bus.h"
#include "pty_adapter.h"
#include "sim_arguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    // The COM link goes where vorkel looks: beside the programs, or, when they
    // are installed where the user cannot write, in the user's configuration folder.
    QString portsDir = QCoreApplication::applicationDirPath() + QStringLiteral("/ports");
    if (!QFileInfo(QCoreApplication::applicationDirPath()).isWritable())
        portsDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/VORKEL/ports");
    const vorkelsim::SimCommandLine command =
        vorkelsim::ParseSimArguments(app.arguments(), portsDir);
    if (command.helpShown) {
        out << command.helpText;
        return 0;
    }
    if (!command.error.isEmpty()) {
        QTextStream(stderr) << "vorkel-sim: " << command.error << "\n";
        return 2;
    }

    vorkelsim::PtyAdapter adapter(command.options);
    vorkelsim::PrivateBus bus;
    std::unique_ptr<vorkelsim::BluezStandIn> bluez;
    if (command.bluetooth) {
        // The line is handed over by the Bluetooth service's stand-in.
        if (!bus.Start()) {
            QTextStream(stderr) << "vorkel-sim: no bus of its own: " << bus.ErrorString() << "\n";
            return 1;
        }
        bluez = std::make_unique<vorkelsim::BluezStandIn>(bus.Address(), command.options.bluetooth,
                                                          &adapter);
        if (!bluez->Start()) {
            QTextStream(stderr) << "vorkel-sim: no Bluetooth service: " << bluez->ErrorString()
                                << "\n";
            return 1;
        }
        out << "vorkel-sim: Bluetooth adapter " << command.options.bluetooth.name << " "
            << command.options.bluetooth.address << Qt::endl
            << "DBUS_SYSTEM_BUS_ADDRESS=" << bus.Address() << Qt::endl;
    } else if (command.tcpPort >= 0) {
        if (!adapter.StartTcp(static_cast<quint16>(command.tcpPort))) {
            QTextStream(stderr) << "vorkel-sim: cannot listen: " << adapter.ErrorString() << "\n";
            return 1;
        }
        out << "vorkel-sim: WiFi adapter at 127.0.0.1:" << adapter.TcpPort() << Qt::endl;
    } else if (!adapter.Start()) {
        QTextStream(stderr) << "vorkel-sim: no pseudo-terminal: " << adapter.ErrorString() << "\n";
        return 1;
    }
    // Over Bluetooth or WiFi no COM link: the program reaches it otherwise.
    const bool serial = !command.bluetooth && command.tcpPort < 0;
    if (serial && command.comPort > 0) {
        QDir().mkpath(command.portsDir);
        const QString link =
            QDir(command.portsDir).filePath(QStringLiteral("COM%1").arg(command.comPort));
        if (!adapter.LinkAs(link)) {
            QTextStream(stderr) << "vorkel-sim: " << adapter.ErrorString() << "\n";
            return 1;
        }
        out << "vorkel-sim: adapter on COM" << command.comPort << " (" << link << " -> "
            << adapter.SlavePath() << ")" << Qt::endl;
    } else if (serial) {
        out << "vorkel-sim: adapter on " << adapter.SlavePath() << Qt::endl;
    }
    adapter.SetTrace(command.trace);
    QObject::connect(&adapter, &vorkelsim::PtyAdapter::traced,
                     [&out](const QString& line) { out << line << Qt::endl; });
    QObject::connect(&adapter, &vorkelsim::PtyAdapter::unplugged,
                     [&out] { out << "vorkel-sim: line closed (unplugged)" << Qt::endl; });

    // Ctrl+C and kill end it cleanly, so the COM link is removed.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::signal(SIGHUP, OnSignal);
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    }
    const int status = QCoreApplication::exec();
    // A replay that left the recorded road says where.
    for (const QString& command : adapter.Adapter().ReplayUnanswered())
        QTextStream(stderr) << "vorkel-sim: the log had no answer left for " << command << "\n";
    return status;
}
