// Figures for the README: how long a connection takes next to the fixed
// pauses it contains, what waiting costs in CPU, how fast the Setup dialog
// probes its ports, start-up time and peak memory. Medians of several runs.
#include "app/form1.h"
#include "app/read_command.h"
#include "app/startup.h"
#include "app/window_steps.h"
#include "common/message_box.h"
#include "common/mscomm.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "connection/adapter_check.h"
#include "connection/adapter_connection.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_list.h"
#include "link/link_error.h"
#include "link/serial_port.h"
#include "pty_adapter.h"
#include "settings/setup_form.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <sys/resource.h>

using namespace vorkel;

namespace {

QTextStream out(stdout);

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

struct Bench {
    QTemporaryDir ports;
    std::unique_ptr<vorkelsim::PtyAdapter> sim;

    explicit Bench(const vorkelsim::SimOptions& options) {
        SetPortsFolder(ports.path());
        sim = std::make_unique<vorkelsim::PtyAdapter>(options);
        sim->Start();
        sim->LinkAs(QDir(ports.path()).filePath(QStringLiteral("COM7")));
        CommPortNumber = 7;
        CommSpeed = QStringLiteral("38400");
        AdapterState = 0;
    }
};

// Time from the start of the connection attempt to "Connected".
double ConnectMs(const vorkelsim::SimOptions& options, QByteArray* received = nullptr) {
    Bench bench(options);
    Form1 form;
    QElapsedTimer clock;
    clock.start();
    ConnectAdapter(form.controls());
    const double ms = clock.nsecsElapsed() / 1e6;
    if (form.StatusBar1->panelText(3) != QLatin1String("Connected")) return -1;
    if (received) *received = bench.sim->Sent();
    return ms;
}

void Row(const QString& what, const QString& figure, const QString& bound) {
    out << "| " << what << " | " << figure << " | " << bound << " |\n";
}

// The median of the times when every run gave one, else what went wrong.
QString MedianOfAll(const std::vector<double>& times, int runs, const QString& otherwise) {
    if (times.size() != std::size_t(runs)) return otherwise;
    return QStringLiteral("%1 ms").arg(Median(times), 0, 'f', 1);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer startClock;
    startClock.start();
    QApplication app(argc, argv);
    SetDialogFont();
    SetMessageHandler([](const Message&) {});
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 5;

    // Start-up to window shown, in this process.
    std::vector<double> startup;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        Form1 form;
        Main(form);
        QCoreApplication::processEvents();
        startup.push_back(clock.nsecsElapsed() / 1e6);
    }

    out << "Machine: " << QThread::idealThreadCount() << " cores, Qt " << qVersion()
        << ", median of " << runs << " runs\n\n";
    out << "| measure | figure | bound or goal |\n|---|---|---|\n";

    const double pauses = 5 * 250; // before and within the identification, and before the count
    std::vector<double> connect;
    for (int i = 0; i < runs; ++i)
        connect.push_back(ConnectMs({}));
    Row(QStringLiteral("Connect to \"Connected\", zero-latency adapter"),
        QStringLiteral("%1 ms").arg(Median(connect), 0, 'f', 1),
        QStringLiteral("fixed pauses %1 ms (overhead %2 ms)")
            .arg(pauses)
            .arg(Median(connect) - pauses, 0, 'f', 1));

    // The same reading without a window (vorkel --read): Connect's pauses,
    // then the count again and the list, 100 ms before each.
    const double readPauses = pauses + 2 * 100;
    std::vector<double> reads;
    for (int i = 0; i < runs; ++i) {
        Bench bench({});
        IniFilePath = QDir(bench.ports.path()).filePath(QStringLiteral("VORKEL.INI"));
        QElapsedTimer clock;
        clock.start();
        const ReadResult result = RunReading({});
        reads.push_back(result.exit == ReadWhole ? clock.nsecsElapsed() / 1e6 : -1);
    }
    Row(QStringLiteral("vorkel --read to the list, zero-latency adapter"),
        QStringLiteral("%1 ms").arg(Median(reads), 0, 'f', 1),
        QStringLiteral("fixed pauses %1 ms, goal within 5 % (%2 %)")
            .arg(readPauses)
            .arg((Median(reads) - readPauses) * 100 / readPauses, 0, 'f', 1));

    for (const int baud : {38400, 9600}) {
        vorkelsim::SimOptions paced;
        paced.wireBaud = baud;
        std::vector<double> times;
        QByteArray sent;
        for (int i = 0; i < runs; ++i)
            times.push_back(ConnectMs(paced, &sent));
        // Both directions share the wire time; the answers dominate.
        const double wire = sent.size() * 10000.0 / baud;
        Row(QStringLiteral("Connect to \"Connected\" at %1 baud").arg(baud),
            QStringLiteral("%1 ms").arg(Median(times), 0, 'f', 1),
            QStringLiteral("pauses + wire time %1 ms").arg(pauses + wire, 0, 'f', 1));
    }

    {
        vorkelsim::SimOptions silent;
        silent.silent = true;
        Bench bench(silent);
        Form1 form;
        const double cpuBefore = CpuMs();
        QElapsedTimer clock;
        clock.start();
        // The window's own click: its time-out ends the wait, as the input
        // table lets it only while a Connect runs.
        form.Connect_Command_Click();
        const double wall = clock.nsecsElapsed() / 1e6;
        const double cpu = CpuMs() - cpuBefore;
        Row(QStringLiteral("CPU while waiting for a silent adapter"),
            QStringLiteral("%1 ms in %2 ms (%3 %)")
                .arg(cpu, 0, 'f', 1)
                .arg(wall, 0, 'f', 0)
                .arg(100.0 * cpu / wall, 0, 'f', 2),
            QStringLiteral("< 1 % of one core"));
    }

    {
        // The adapter pulled out as the count request goes: the whole read,
        // request included, until the loss is reported.
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            Bench bench({});
            Form1 form;
            ConnectAdapter(form.controls());
            bench.sim->Adapter().MutableOptions().unplugOn = QStringLiteral("220200");
            QElapsedTimer clock;
            clock.start();
            try {
                ReadDtcCount(form.controls());
            } catch (const LinkError& error) {
                if (error.failure() == LinkFailure::PortLost)
                    times.push_back(clock.nsecsElapsed() / 1e6);
            }
        }
        Row(QStringLiteral("Adapter unplugged under a read, until the loss is reported"),
            MedianOfAll(times, runs, QStringLiteral("not noticed as a loss")),
            QStringLiteral("< 1000 ms"));
    }

    {
        // A second click on Connect while the adapter takes its time over the
        // reset: from the click to the window Not Connected, the port closed.
        vorkelsim::SimOptions slow;
        slow.resetDelayMs = 60000;
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            Bench bench(slow);
            Form1 form;
            QElapsedTimer clock;
            QTimer::singleShot(300, &form, [&] {
                clock.start();
                form.Connect_Command->click();
            });
            form.Connect_Command->click();
            if (!form.MSComm1->PortOpen() &&
                form.StatusBar1->panelText(3) == QLatin1String("Not Connected"))
                times.push_back(clock.nsecsElapsed() / 1e6);
        }
        Row(QStringLiteral("Connect stopped by a second click, until Not Connected"),
            MedianOfAll(times, runs, QStringLiteral("not stopped")), QStringLiteral("< 200 ms"));
    }

    {
        // Check Adapter cancelled while the adapter takes its time over the
        // reset: from the press of Close to the port let go.
        vorkelsim::SimOptions slow;
        slow.resetDelayMs = 60000;
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            Bench bench(slow);
            MSComm comm;
            ConfigurePort(comm, 7, QStringLiteral("38400"), QString());
            CheckResult result;
            QElapsedTimer clock;
            // Past the quiet wait before the reset: during the reset itself.
            QTimer::singleShot(900, &comm, [&] {
                clock.start();
                comm.setPortOpen(false);
            });
            RunAdapterCheck(comm, result, {});
            if (result.cancelled) times.push_back(clock.nsecsElapsed() / 1e6);
        }
        Row(QStringLiteral("Check Adapter cancelled, until it ends"),
            MedianOfAll(times, runs, QStringLiteral("not cancelled")), QStringLiteral("< 1000 ms"));
    }

    {
        vorkelsim::SimOptions paced;
        paced.wireBaud = 38400;
        paced.cluster.codes.clear();
        for (int i = 0; i < 20; ++i)
            paced.cluster.codes.push_back({0x92, static_cast<std::uint8_t>(i), 0x20});
        Bench bench(paced);
        Form1 form;
        ConnectAdapter(form.controls());
        form.DTC_label->setText(QStringLiteral("20"));
        std::vector<double> times;
        double wire = 0;
        for (int i = 0; i < runs; ++i) {
            const qsizetype before = bench.sim->Sent().size();
            QElapsedTimer clock;
            clock.start();
            ReadDtcList(form.controls());
            times.push_back(clock.nsecsElapsed() / 1e6);
            wire = (bench.sim->Sent().size() - before + 10) * 10000.0 / 38400; // answer + request
        }
        Row(QStringLiteral("Reading 20 codes at 38400 baud"),
            QStringLiteral("%1 ms").arg(Median(times), 0, 'f', 1),
            QStringLiteral("wire time %1 ms (goal within 10 %)").arg(wire, 0, 'f', 1));
    }

    {
        SetPortsFolder(QString()); // the machine's own devices, as a user would have them
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            Setup_Form setup(nullptr, nullptr);
            QElapsedTimer clock;
            clock.start();
            setup.Form_Activate();
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        Row(QStringLiteral("Setup activation (COM1 to COM255 probed)"),
            QStringLiteral("%1 ms").arg(Median(times), 0, 'f', 2), QStringLiteral("< 50 ms"));
    }

    Row(QStringLiteral("Start-up to window shown (in process)"),
        QStringLiteral("%1 ms").arg(Median(startup), 0, 'f', 1), QStringLiteral("-"));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    Row(QStringLiteral("Peak memory (RSS) of this whole run"),
        QStringLiteral("%1 MiB").arg(usage.ru_maxrss / 1024.0, 0, 'f', 1), QStringLiteral("-"));
    out.flush();
    return 0;
}
