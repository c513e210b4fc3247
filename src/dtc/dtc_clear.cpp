#include "dtc/dtc_clear.h"

#include "common/pause.h"
#include "common/value_label.h"
#include "common/wait_steps.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_list.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/reply_lines.h"

#include <QListWidget>
#include <QPushButton>

namespace vorkel {

void ClearDtcCodes(Form1Controls& ui) {
    EraseDtcCodes(ui, nullptr);
    ShowCodesAfterClearing(ui);
}

void EraseDtcCodes(Form1Controls& ui, EraseProgress* progress) {
    EraseProgress ignored;
    EraseProgress& told = progress ? *progress : ignored;
    Exchange exchange(*ui.MSComm1);
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

void ShowCodesAfterClearing(Form1Controls& ui, QString* countRead) {
    Pause(100);
    ReadDtcCount(ui);
    if (countRead) *countRead = ui.DTC_label->text();
    const bool codesLeft = ui.DTC_label->text() != QLatin1String("0");
    EnableCodeButtons(ui, codesLeft, codesLeft);
    if (codesLeft) ui.DTC_List->clear();
    Pause(100);
    ReadDtcList(ui);
}

} // namespace vorkel
