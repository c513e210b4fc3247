#include "connection/adapter_check.h"

#include "cluster/cluster_functions.h"
#include "common/mscomm.h"
#include "connection/adapter_connection.h"
#include "link/exchange.h"
#include "link/link_error.h"

#include <QElapsedTimer>

namespace vorkel {
namespace {

// The port closed under the check: by Cancel, or lost.
struct CheckEnded {};

// The OBD request for the engine's supported values: only asked after the
// cluster stayed silent. A reply from another unit means the request did not
// go to the cluster's address, whatever AT SH answered.
constexpr const char* OtherUnitProbe = "0100";

// Before the reset the line must be quiet this long: a late answer to what
// was asked before the check (a slow Bluetooth adapter's banner) is dropped.
constexpr int QuietBeforeResetMs = 500;
constexpr int QuietWaitLimitMs = 3000;

QString WaitingWords(const QString& command) {
    if (command == QLatin1String("atz"))
        return QStringLiteral("Resetting the adapter (ATZ): waiting for its answer...");
    if (command == QLatin1String(FirstIdentificationRequest))
        return QStringLiteral("Reading the cluster's part number (%1)...").arg(command.toUpper());
    return QStringLiteral("Waiting for the answer to %1...").arg(command.toUpper());
}

} // namespace

void RunAdapterCheck(MSComm& comm, CheckResult& result, const CheckProgress& progress) {
    const auto waiting = [&progress](const QString& what) {
        if (progress.waiting) progress.waiting(what);
    };
    const auto stepDone = [&progress] {
        if (progress.stepDone) progress.stepDone();
    };
    if (!comm.IsSerial()) waiting(QStringLiteral("Calling the %1...").arg(comm.LinkName()));
    if (!comm.setPortOpen(true)) {
        if (comm.OpenCancelled())
            result.cancelled = true;
        else
            result.notOpened = comm.OpenAdvice().isEmpty()
                                   ? comm.OpenError()
                                   : comm.OpenError() + QLatin1Char(' ') + comm.OpenAdvice();
        return;
    }
    Exchange exchange(comm);
    const auto ask = [&](const QString& command) -> const CheckStep& {
        waiting(WaitingWords(command));
        QElapsedTimer clock;
        clock.start();
        QString answer;
        qsizetype passedOver = 0; // what was heard of answers that were not this step's
        std::optional<LinkFailure> failure;
        try {
            exchange.Send(command);
            for (;;) {
                answer = exchange.GatherUntil(
                    [](const QString& gathered) { return gathered.endsWith(QLatin1Char('>')); },
                    false);
                if (AnswerFits(command, answer)) break;
                passedOver = exchange.Heard().size();
            }
        } catch (const LinkError& error) {
            failure = error.failure();
            answer = exchange.Heard().mid(passedOver);
        }
        const QString echo = command + QLatin1Char('\r');
        if (answer.startsWith(echo, Qt::CaseInsensitive)) answer.remove(0, echo.size());
        CheckOutcome outcome = ClassifyCheckAnswer(command, answer);
        // A step the port's closing cut short shows what had arrived.
        const bool ended = failure == LinkFailure::PortClosed || failure == LinkFailure::PortLost;
        if (failure == LinkFailure::PortClosed) outcome = CheckOutcome::Cancelled;
        if (failure == LinkFailure::PortLost && outcome != CheckOutcome::Unreadable)
            outcome = CheckOutcome::NoAnswer;
        result.steps.append({command, answer, outcome});
        stepDone();
        if (ended) throw CheckEnded{};
        if (command == QLatin1String(FirstIdentificationRequest) && outcome == CheckOutcome::Ok)
            result.roundTripMs = static_cast<int>(clock.elapsed());
        return result.steps.last();
    };
    try {
        waiting(QStringLiteral("Waiting until the adapter is quiet..."));
        exchange.DrainUntilQuiet(QuietBeforeResetMs, QuietWaitLimitMs);
        if (ask(QStringLiteral("atz")).outcome == CheckOutcome::Ok) {
            result.banner = AdapterBanner(result.steps.last().answer);
            const CheckStep& identity = ask(QStringLiteral("ati"));
            if (identity.outcome == CheckOutcome::Ok)
                result.banner = AdapterBanner(identity.answer);
            ask(QStringLiteral("at@1"));
            result.volts = VoltsOfAnswer(ask(QStringLiteral("atrv")).answer);
            bool setUp = true;
            for (const char* command : SetUpCommands)
                setUp = setUp && ask(QLatin1String(command)).outcome == CheckOutcome::Ok;
            if (setUp &&
                ask(QLatin1String(FirstIdentificationRequest)).outcome != CheckOutcome::Ok) {
                const CheckStep& probe = ask(QLatin1String(OtherUnitProbe));
                result.headerIgnored = probe.answer.contains(QLatin1String("7E8"));
            }
            // The header was taken with OK but not used: that step is the fault.
            for (CheckStep& step : result.steps) {
                if (result.headerIgnored && step.command == QLatin1String("atsh720"))
                    step.outcome = CheckOutcome::NotApplied;
            }
        } else if (comm.IsSerial() && comm.PortOpen()) {
            waiting(QStringLiteral("No answer to the reset at %1 baud: asking the adapter at the "
                                   "other speeds...")
                        .arg(result.speed));
            result.speeds = FindAdapterSpeed(comm, result.speed);
            stepDone();
        }
    } catch (const CheckEnded&) {
    } catch (const LinkError&) {
        // The port closed while the line was being drained.
    }
    result.lost = comm.LastCloseReason() == MSComm::CloseReason::Lost;
    result.cancelled = !result.lost && !comm.PortOpen();
    if (result.cancelled) {
        // Every step that never ran says so.
        const QStringList planned = PlannedCheckSteps();
        for (qsizetype i = result.steps.size(); i < planned.size(); ++i)
            result.steps.append({planned.at(i), QString(), CheckOutcome::NotRun});
    }
    comm.setPortOpen(false);
}

} // namespace vorkel
