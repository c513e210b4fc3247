#include "app/form1.h"
#include "app/job_card.h"
#include "app/quit_signals.h"
#include "app/read_command.h"
#include "app/startup.h"
#include "common/bluetooth.h"
#include "common/network_address.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "settings/ini_handler.h"
#include "settings/settings_file.h"
#include "version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSaveFile>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const NoDesktop =
    "VORKEL needs a graphical desktop, and none was found. (For tests without one, set "
    "QT_QPA_PLATFORM=offscreen; to read the cluster without one: vorkel --read.)\n";

// Qt gives up with an abort when no display answers; say it plainly instead.
void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        std::fputs(NoDesktop, stderr);
        std::_Exit(1);
    }
    std::fprintf(stderr, "%s\n", qPrintable(text));
    if (type == QtFatalMsg) std::abort();
}

struct Options {
    QCommandLineOption read{
        QStringLiteral("read"),
        QStringLiteral("Read the cluster without a window and print the result.")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("With --read: one JSON object.")};
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("With --read: also write the job card as a PDF."),
                              QStringLiteral("FILE.pdf")};
    QCommandLineOption clear{QStringLiteral("clear"),
                             QStringLiteral("Read, clear the codes read, and read again.")};
    QCommandLineOption com{QStringLiteral("com"), QStringLiteral("This run's COM port (1-255)."),
                           QStringLiteral("N")};
    QCommandLineOption speed{QStringLiteral("speed"), QStringLiteral("This run's speed in baud."),
                             QStringLiteral("S")};
    QCommandLineOption network{QStringLiteral("network"),
                               QStringLiteral("This run's WiFi adapter."),
                               QStringLiteral("HOST:PORT")};
    QCommandLineOption bluetooth{QStringLiteral("bluetooth"),
                                 QStringLiteral("This run's paired Bluetooth adapter."),
                                 QStringLiteral("ADDRESS")};
    QCommandLineOption settingsPort{QStringLiteral("settings-port"),
                                    QStringLiteral("Print the COM port the settings name.")};
    QCommandLineOption settingsNetwork{QStringLiteral("settings-network"),
                                       QStringLiteral("Print the WiFi adapter the settings name.")};
};

void Describe(QCommandLineParser& parser, const Options& o) {
    parser.setApplicationDescription(
        QStringLiteral("Reads and clears the trouble codes of the BA/BF Falcon and SX/SY "
                       "Territory instrument cluster through an ELM327-type adapter."));
    parser.addHelpOption();
    parser.addVersionOption();
    for (const QCommandLineOption* option :
         {&o.read, &o.json, &o.report, &o.clear, &o.com, &o.speed, &o.network, &o.bluetooth,
          &o.settingsPort, &o.settingsNetwork})
        parser.addOption(*option);
}

// This run's adapter, from --com, --speed, --network or --bluetooth; the
// words of a wrong value, empty when all are right. Saved only by Setup.
QString TakeThisRunsAdapter(const QCommandLineParser& parser, const Options& o, bool apply) {
    std::optional<vorkel::NetworkAddress> address;
    if (parser.isSet(o.network) &&
        !(address = vorkel::ParseNetworkAddress(parser.value(o.network))))
        return QStringLiteral("--network takes HOST:PORT, e.g. 192.168.0.10:35000");
    std::optional<QString> radio;
    if (parser.isSet(o.bluetooth) &&
        !(radio = vorkel::ParseBluetoothAddress(parser.value(o.bluetooth))))
        return QStringLiteral("--bluetooth takes the adapter's address, e.g. 00:1D:A5:68:98:8B");
    bool numeric = false;
    const int port = parser.value(o.com).toInt(&numeric);
    if (parser.isSet(o.com) && (!numeric || port < 1 || port > 255))
        return QStringLiteral("--com takes a COM port number from 1 to 255");
    const int speed = parser.value(o.speed).toInt(&numeric);
    if (parser.isSet(o.speed) && (!numeric || speed < 300 || speed > 4000000))
        return QStringLiteral("--speed takes the speed in baud, e.g. 38400");
    if (!apply) return {};
    if (parser.isSet(o.network) || parser.isSet(o.com) || parser.isSet(o.bluetooth)) {
        // A WiFi or Bluetooth adapter saved is not used beside the one given.
        vorkel::NetworkAdapter = address ? vorkel::NetworkAddressText(*address) : QString();
        vorkel::BluetoothAdapter = radio ? *radio : QString();
        if (parser.isSet(o.com)) vorkel::CommPortNumber = static_cast<std::int16_t>(port);
    }
    if (parser.isSet(o.speed)) vorkel::CommSpeed = QString::number(speed);
    return {};
}

int Read(const QCommandLineParser& parser, const Options& o) {
    const vorkel::SettingsFiles files = vorkel::FindSettingsFiles();
    vorkel::IniFilePath = files.chosen;
    vorkel::LoadSettings(nullptr, files.other);
    const QString wrong = TakeThisRunsAdapter(parser, o, true);
    if (!wrong.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(wrong));
        return vorkel::ReadUsage;
    }
    vorkel::ReadOptions options;
    options.json = parser.isSet(o.json);
    options.clear = parser.isSet(o.clear);
    options.report = parser.value(o.report);
    const vorkel::ReadResult result = vorkel::RunReading(options);
    const QByteArray out = options.json ? vorkel::ReadResultJson(result)
                                        : vorkel::ReadResultText(result).toUtf8() + '\n';
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
    std::fflush(stdout);
    if (!result.error.isEmpty()) std::fprintf(stderr, "vorkel: %s\n", qPrintable(result.error));
    if (options.report.isEmpty()) return result.exit;
    // Written whole or not at all, as the window's Save Report... writes it.
    QSaveFile file(options.report);
    const QByteArray pdf = vorkel::JobCardPdf(vorkel::ReadResultCard(result));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        std::fprintf(stderr, "vorkel: the report %s could not be written: %s\n",
                     qPrintable(options.report), qPrintable(file.errorString()));
        return result.exit == vorkel::ReadWhole ? vorkel::ReadNoReport : result.exit;
    }
    return result.exit;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const Options o;
    Describe(parser, o);
    bool parsed = parser.parse(arguments);
    // Without a window only when asked; the window's run also takes Qt's own
    // options (-platform, -style), which only the application knows.
    const auto asked = [&arguments](const char* option) {
        return arguments.contains(QLatin1String(option));
    };
    const bool windowless = asked("--read") || asked("--clear") || asked("--help") || asked("-h") ||
                            asked("--version") || asked("-v") || asked("--settings-port") ||
                            asked("--settings-network");
    if (windowless) {
        // The page of a report is drawn without a screen.
        if (parser.isSet(o.report) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        std::unique_ptr<QCoreApplication> app =
            parser.isSet(o.report) ? std::make_unique<QGuiApplication>(argc, argv)
                                   : std::make_unique<QCoreApplication>(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vorkel"));
        QCoreApplication::setApplicationVersion(
            vorkel::ProgramAndVersion().section(QLatin1Char(' '), 1));
        if (!parsed) {
            std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
            return vorkel::ReadUsage;
        }
        if (parser.isSet(QStringLiteral("help"))) {
            std::fputs(qPrintable(parser.helpText()), stdout);
            return 0;
        }
        if (parser.isSet(QStringLiteral("version"))) {
            std::printf("%s\n", qPrintable(vorkel::ProgramAndVersion()));
            return 0;
        }
        if (parser.isSet(o.settingsPort) || parser.isSet(o.settingsNetwork)) {
            // For scripts: the COM port (or the WiFi adapter) the program will
            // use, read as the program reads it.
            const vorkel::SettingsFiles files = vorkel::FindSettingsFiles();
            if (parser.isSet(o.settingsPort))
                std::printf("%d\n", vorkel::PortFromSettingsFile(files.chosen, files.other));
            else
                std::printf("%s\n",
                            qPrintable(vorkel::NetworkFromSettingsFile(files.chosen, files.other)));
            return 0;
        }
        return Read(parser, o);
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
    parsed = parser.parse(QApplication::arguments());
    const QString wrong = parsed ? TakeThisRunsAdapter(parser, o, false) : parser.errorText();
    if (!wrong.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(wrong));
        return 2;
    }
    vorkel::SetDialogFont();
    vorkel::Form1 form;
    vorkel::Main(form);
    TakeThisRunsAdapter(parser, o, true);
    form.StatusBar1->setPanelText(2, vorkel::CurrentSettingsText());
    vorkel::EndOnQuitSignals(form);
    return QApplication::exec();
}
