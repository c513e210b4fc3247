// The reading without a window: the same steps, waits, bounds, pauses and log
// as the window's Connect, then (when asked) Clear DTC and a second reading.
#include "app/read_command.h"

#include "app/form1.h"
#include "common/adapter_log.h"
#include "common/bluetooth.h"
#include "common/message.h"
#include "common/mscomm.h"
#include "common/pause.h"
#include "common/shared_state.h"
#include "common/wait_steps.h"
#include "connection/adapter_connection.h"
#include "dtc/dtc_clear.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_list.h"
#include "link/link_error.h"
#include "link/serial_port.h"
#include "link/speed_search.h"
#include "settings/ini_handler.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>
#include <QTimer>
#include <csignal>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vorkel {
namespace {

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void NoteStop(int) {
    stopAsked = 1;
}

bool StandardErrorIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

// The facts as they come, so that a failure later keeps what was read before it.
class ResultView : public ReadingView {
  public:
    explicit ResultView(ReadResult& result) : m_result(result) {}
    void AdapterAnswered(const QString& banner) override { m_result.adapter = banner; }
    void ModelNamed(const QString& model) override { m_result.model = model; }
    void Identified(const QString& partNumber) override { m_result.partNumber = partNumber; }

  private:
    ReadResult& m_result;
};

} // namespace

ReadResult RunReading(const ReadOptions& options) {
    ReadResult result;
    result.port = CurrentSettingsText();
    if (NetworkAdapter.isEmpty() && BluetoothAdapter.isEmpty()) result.speed = CommSpeed.toInt();

    MSComm comm;
    AdapterLog log;
    log.SetPath(QFileInfo(IniFilePath).dir().filePath(QStringLiteral("vorkel.log")));
    log.StartSession(
        {QStringLiteral("program: ") + ProgramAndVersion(),
         QStringLiteral("started: ") + QDateTime::currentDateTime().toString(Qt::ISODate),
         QStringLiteral("system: ") + QSysInfo::prettyProductName(),
         QStringLiteral("port: ") + result.port, QStringLiteral("read without a window")});
    comm.setLog(&log);
    // A port that cannot be opened is said in the message's words.
    const MessageHandler before = SetMessageHandler([&result, &log](const Message& message) {
        log.Note(QStringLiteral("message: %1 | %2").arg(message.text, message.informative));
        if (result.error.isEmpty()) result.error = message.text;
        std::fprintf(stderr, "%s\n", message.informative.toLocal8Bit().constData());
    });
    const bool terminal = StandardErrorIsTerminal();
    // What is waited for, once per step, where someone watches.
    SetWaitObserver([terminal, last = QString()](const QString& step, int) mutable {
        if (!terminal || step.isEmpty() || step == last) return;
        last = step;
        std::fprintf(stderr, "%s...\n", step.toLocal8Bit().constData());
    });

    // Ctrl+C and SIGTERM stop the wait as the window's stop does: the port
    // closes and the wait unwinds; a Clear whose request is out is answered first.
    EraseProgress erase;
    bool clearing = false;
    stopAsked = 0;
    std::signal(SIGINT, NoteStop);
    std::signal(SIGTERM, NoteStop);
    bool stopped = false;
    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!stopAsked || stopped || (clearing && erase.sent)) return;
        stopped = true;
        log.Note(QStringLiteral("Stop"));
        comm.setPortOpen(false);
    });
    watch.start();

    // The reset's time-out: the adapter may answer at another speed.
    QTimer timeOut;
    QObject::connect(&timeOut, &QTimer::timeout, [&] {
        timeOut.stop();
        std::optional<SpeedSearch> search;
        if (comm.IsSerial() && comm.PortOpen()) search = FindAdapterSpeed(comm, CommSpeed.toInt());
        result.error = QStringLiteral("Unable to Connect To ELM");
        const QString advice =
            search ? SpeedSearchAdvice(*search) : NetworkResetAdvice(comm.LinkName());
        std::fprintf(stderr, "%s\n", advice.toLocal8Bit().constData());
        AdapterState = AdapterTimedOut;
    });

    // The count, then the list when there are codes, 100 ms before each, as
    // the window reads them; a list cut short ends the reading.
    const auto readCodes = [&](std::optional<int>& count, QStringList& codes, bool* complete) {
        Pause(100);
        count = ReadCodeCount(comm);
        if (!result.readAt.isValid()) result.readAt = QDateTime::currentDateTime();
        if (*count == 0) return;
        Pause(100);
        if (complete) result.listRead = true;
        const CodeList list = ReadCodeList(comm, QString::number(*count));
        codes = list.codes;
        if (complete) *complete = list.complete;
        if (!list.complete) throw LinkError(LinkFailure::IncompleteList);
    };

    QString operation = QStringLiteral("Connecting to the cluster");
    try {
        ResultView view(result);
        const AdapterReading reading = ConnectToAdapter(comm, timeOut, view);
        if (!reading.opened) {
            result.exit = ReadNoAdapter;
        } else {
            if (comm.IsBluetooth()) result.port = comm.LinkName();
            operation = QStringLiteral("Reading the trouble codes");
            // The count a second time, as the window reads it, then the list.
            result.complete = true;
            readCodes(result.count, result.codes, &result.complete);
            if (options.clear) {
                operation = QStringLiteral("Clearing the trouble codes");
                result.clearAsked = true;
                clearing = true;
                EraseCodes(comm, erase);
                clearing = false;
                erase.confirmed = result.clearConfirmed = true;
                result.erased = result.codes;
                operation = QStringLiteral("Reading the trouble codes");
                readCodes(result.countAfter, result.cameBack, nullptr);
            }
        }
    } catch (const LinkError& error) {
        const FailureWords words =
            DescribeFailure(error, operation, !result.partNumber.isEmpty(), comm.Kind());
        if (result.error.isEmpty()) result.error = words.text;
        if (!words.advice.isEmpty())
            std::fprintf(stderr, "%s\n", words.advice.toLocal8Bit().constData());
        const LinkFailure failure = error.failure();
        result.exit = stopped                                       ? ReadStopped
                      : result.adapter.isEmpty()                    ? ReadNoAdapter
                      : result.clearAsked && !result.clearConfirmed ? ReadNotCleared
                      : failure == LinkFailure::IncompleteList ||
                              (result.listRead && failure == LinkFailure::DamagedAnswer)
                          ? ReadListBroken
                          : ReadNoCluster;
    }
    // Noted while the cluster was erasing: its answer (or its failure) is
    // reported, and the run ends as stopped.
    if (stopAsked) result.exit = ReadStopped;
    timeOut.stop();
    comm.setPortOpen(false);
    SetWaitObserver({});
    SetMessageHandler(before);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    log.Note(QStringLiteral("read: exit %1").arg(result.exit));
    return result;
}

} // namespace vorkel
