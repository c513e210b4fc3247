#include "app/form1.h"
#include "app/quit_signals.h"
#include "app/startup.h"
#include "common/bluetooth.h"
#include "common/network_address.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "settings/ini_handler.h"
#include "settings/settings_file.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const NoDesktop =
    "VORKEL needs a graphical desktop, and none was found. (For tests without one, set "
    "QT_QPA_PLATFORM=offscreen.)\n";

// Qt gives up with an abort when no display answers; say it plainly instead.
void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        std::fputs(NoDesktop, stderr);
        std::_Exit(1);
    }
    std::fprintf(stderr, "%s\n", qPrintable(text));
    if (type == QtFatalMsg) std::abort();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 &&
        (QByteArray(argv[1]) == "--settings-port" || QByteArray(argv[1]) == "--settings-network")) {
        // For scripts: the COM port (or the WiFi adapter) the program will
        // use, read as the program reads it.
        QCoreApplication app(argc, argv);
        const vorkel::SettingsFiles files = vorkel::FindSettingsFiles();
        if (QByteArray(argv[1]) == "--settings-port")
            std::printf("%d\n", vorkel::PortFromSettingsFile(files.chosen, files.other));
        else
            std::printf("%s\n",
                        qPrintable(vorkel::NetworkFromSettingsFile(files.chosen, files.other)));
        return 0;
    }
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs(NoDesktop, stderr);
        return 1;
    }
#endif
    qInstallMessageHandler(OnQtMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    vorkel::SetDialogFont();
    // For this run only, saved only by Setup: --network HOST:PORT, a network
    // adapter; --bluetooth ADDRESS, a paired Bluetooth adapter; --com N, the
    // COM port (a WiFi or Bluetooth adapter saved is not used).
    const QStringList arguments = QApplication::arguments();
    const qsizetype network = arguments.indexOf(QStringLiteral("--network"));
    const auto address = vorkel::ParseNetworkAddress(arguments.value(network + 1));
    if (network > 0 && !address) {
        std::fputs("--network takes HOST:PORT, e.g. 192.168.0.10:35000\n", stderr);
        return 2;
    }
    const qsizetype radio = arguments.indexOf(QStringLiteral("--bluetooth"));
    const auto bluetooth = vorkel::ParseBluetoothAddress(arguments.value(radio + 1));
    if (radio > 0 && !bluetooth) {
        std::fputs("--bluetooth takes the adapter's address, e.g. 00:1D:A5:68:98:8B\n", stderr);
        return 2;
    }
    const qsizetype com = arguments.indexOf(QStringLiteral("--com"));
    bool comGiven = false;
    const int comPort = arguments.value(com + 1).toInt(&comGiven);
    if (com > 0 && (!comGiven || comPort < 1 || comPort > 255)) {
        std::fputs("--com takes a COM port number from 1 to 255\n", stderr);
        return 2;
    }
    vorkel::Form1 form;
    vorkel::Main(form);
    if (network > 0 || com > 0 || radio > 0) {
        vorkel::NetworkAdapter = network > 0 ? vorkel::NetworkAddressText(*address) : QString();
        vorkel::BluetoothAdapter = radio > 0 ? *bluetooth : QString();
        if (com > 0) vorkel::CommPortNumber = static_cast<std::int16_t>(comPort);
        form.StatusBar1->setPanelText(2, vorkel::CurrentSettingsText());
    }
    vorkel::EndOnQuitSignals(form);
    return QApplication::exec();
}
