#include "connection/adapter_check.h"

#include "cluster/cluster_functions.h"
#include "common/mscomm.h"
#include "common/shared_state.h"
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

} // namespace

void RunAdapterCheck(MSComm& comm, CheckResult& result, const std::function<void()>& stepDone) {
    if (!comm.setPortOpen(true)) {
        if (comm.OpenCancelled())
            result.cancelled = true;
        else
            result.notOpened = comm.OpenError();
        return;
    }
    // A time-out left from an earlier Connect must not end these waits.
    const std::int16_t savedState = AdapterState;
    AdapterState = AdapterNotInitialised;
    Exchange exchange(comm);
    const auto ask = [&](const QString& command) -> const CheckStep& {
        QElapsedTimer clock;
        clock.start();
        bool ended = false;
        try {
            exchange.Send(command);
            exchange.GatherUntil(
                [](const QString& gathered) { return gathered.endsWith(QLatin1Char('>')); }, false);
        } catch (const LinkError& error) {
            ended = error.failure() == LinkFailure::PortClosed ||
                    error.failure() == LinkFailure::PortLost;
        }
        QString answer = exchange.Heard();
        const QString echo = command + QLatin1Char('\r');
        if (answer.startsWith(echo, Qt::CaseInsensitive)) answer.remove(0, echo.size());
        // A step the port's closing cut short shows what had arrived.
        result.steps.append(
            {command, answer,
             ended ? CheckOutcome::NoAnswer : ClassifyCheckAnswer(command, answer)});
        if (ended) {
            if (stepDone) stepDone();
            throw CheckEnded{};
        }
        if (command == QLatin1String(FirstIdentificationRequest) &&
            result.steps.last().outcome == CheckOutcome::Ok)
            result.roundTripMs = static_cast<int>(clock.elapsed());
        if (stepDone) stepDone();
        return result.steps.last();
    };
    try {
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
        } else if (!comm.IsNetwork() && comm.PortOpen()) {
            result.speeds = FindAdapterSpeed(comm, result.speed);
            if (stepDone) stepDone();
        }
    } catch (const CheckEnded&) {
    }
    result.lost = comm.LastCloseReason() == MSComm::CloseReason::Lost;
    result.cancelled = !result.lost && !comm.PortOpen();
    comm.setPortOpen(false);
    AdapterState = savedState;
}

} // namespace vorkel
