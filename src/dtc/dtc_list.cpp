#include "dtc/dtc_list.h"

#include "common/shared_state.h"
#include "common/wait_steps.h"
#include "dtc/dtc_descriptions.h"
#include "dtc/dtc_reply.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/reply_lines.h"

#include <algorithm>

namespace vorkel {
namespace {

// Line 1 of the list's answer: the text after the first "728 " that answers
// this request; "busy, pending" frames are waited past, a refusal throws.
QString FirstLineOfList(Exchange& exchange, const QString& request) {
    for (;;) {
        exchange.WaitForMarker(ClusterHeader);
        const QString line1 = exchange.ReadLine();
        const int service = ServiceAnswered(ClusterHeader + line1);
        if (service >= 0 && service != RequestService(request))
            continue; // an earlier request's late answer
        int code = 0;
        if (!IsNegativeFrame(line1, code)) return line1;
        if (code != 0x78) {
            exchange.Finish();
            throw LinkError(LinkFailure::NegativeResponse, ClusterHeader + line1.trimmed(), code);
        }
        // Busy, answer pending: the real answer follows as a further frame.
        exchange.MarkPending();
    }
}

} // namespace

CodeList ReadCodeList(MSComm& comm, const QString& countText) {
    TellWaiting(QLatin1String(StepReadingCodes), Scaled(CurrentLinkLimits().endlessAnswerMs));
    const QString& caption = countText;
    const QString request = QStringLiteral("1800ff00");
    Exchange exchange(comm);
    QString line1;
    ReadAgainAfterNoData([&] {
        exchange.Send(request);
        line1 = FirstLineOfList(exchange, request);
    });

    // The frames are taken in their order, each only when it is whole: the
    // first that is missing, damaged or out of order ends the list there, and
    // the user is told it is incomplete.
    QStringList lines{line1};
    const int wanted =
        IsWholeDtcFrame(line1, 1, line1)
            ? std::min(DtcLinesNeeded(DtcCountOfLine1(line1, caption)), FramesInMessage(line1))
            : 1;
    while (lines.size() < wanted) {
        const std::optional<QString> line = exchange.ReadAnswerLine();
        if (!line) break; // the answer ended before the frames its length calls for
        if (!line->startsWith(ClusterHeader)) {
            // Not a frame: the adapter's own message ("BUFFER FULL") breaks the reply off.
            const AnswerProblem problem = ClassifyAnswer(*line, request);
            exchange.Finish();
            if (problem.failure != LinkFailure::Unexpected)
                throw LinkError(problem.failure, line->trimmed(), problem.responseCode);
            break;
        }
        if (!IsWholeDtcFrame(*line, static_cast<int>(lines.size()) + 1, line1)) break;
        lines << *line;
    }
    exchange.Finish();

    const DtcReply reply = DecodeDtcReply(lines, caption);
    DtcCount = static_cast<std::int16_t>(reply.count);
    // Codes not held are emptied, so no code of an earlier, longer list shows.
    for (int k = 1; k <= std::min(reply.count, MaxDtcCodesRead); ++k)
        DtcCodes[static_cast<std::size_t>(k)] = reply.codes[static_cast<std::size_t>(k)];
    CodeList list;
    list.count = reply.count;
    for (int k = 1; k <= std::min(reply.count, MaxDtcCodesRead); ++k)
        if (!reply.codes[static_cast<std::size_t>(k)].isEmpty())
            list.codes << reply.codes[static_cast<std::size_t>(k)];
    list.lines = DtcDescriptionLines();
    list.complete = reply.complete;
    return list;
}

} // namespace vorkel
