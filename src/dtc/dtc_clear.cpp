#include "dtc/dtc_clear.h"

#include "common/wait_steps.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/reply_lines.h"

namespace vorkel {

void EraseCodes(MSComm& comm, EraseProgress& told) {
    Exchange exchange(comm);
    TellWaiting(QLatin1String(StepClearing), Scaled(CurrentLinkLimits().endlessAnswerMs));
    exchange.Send(QStringLiteral("14FF00"));
    told.sent = true;
    QString line;
    try {
        const QString gathered = exchange.WaitForMarker(QStringLiteral("54 FF 00 "));
        line = LineOfMarker(gathered, exchange.ReadLine());
    } catch (const LinkError& error) {
        // The positive answer began ("54 FF 00<DATA ERROR", "54 FF 0", or cut
        // off by the adapter going away): the codes may well be erased.
        const bool heard = HeardClusterAnswer(exchange.Heard(), QStringLiteral("54"));
        told.answerHeard = heard;
        if (heard && error.failure() == LinkFailure::Unexpected)
            throw LinkError(LinkFailure::DamagedAnswer, error.received());
        throw;
    }
    if (!IsWholeSingleFrame(line)) {
        told.answerHeard = true;
        exchange.Finish();
        throw LinkError(LinkFailure::DamagedAnswer, line.trimmed());
    }
    // The cluster has confirmed the erase: whatever happens to the rest of its
    // answer, the codes are gone. A link lost now fails the reading back.
    try {
        exchange.Finish();
    } catch (const LinkError&) {
    }
}

} // namespace vorkel
