#include "dtc/dtc_clear.h"

#include "common/pause.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_list.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/reply_lines.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace vorkel {

void ClearDtcCodes(Form1Controls& ui) {
    EraseDtcCodes(ui);
    ShowCodesAfterClearing(ui);
}

void EraseDtcCodes(Form1Controls& ui) {
    Exchange exchange(*ui.MSComm1);
    exchange.Send(QStringLiteral("14FF00"));
    QString gathered;
    try {
        gathered = exchange.WaitForMarker(QStringLiteral("54 FF 00 "));
    } catch (const LinkError& error) {
        // The positive answer came, but damaged inside its marker ("54 FF
        // 00<DATA ERROR", "54 FF 0"): the codes may well be erased.
        if (error.failure() == LinkFailure::Unexpected &&
            HeardClusterAnswer(exchange.Heard(), QStringLiteral("54")))
            throw LinkError(LinkFailure::DamagedAnswer, error.received());
        throw;
    }
    const QString line = LineOfMarker(gathered, exchange.ReadLine());
    exchange.Finish();
    if (!IsWholeSingleFrame(line)) throw LinkError(LinkFailure::DamagedAnswer, line.trimmed());
}

void ShowCodesAfterClearing(Form1Controls& ui, QString* countRead) {
    Pause(100);
    ReadDtcCount(ui);
    if (countRead) *countRead = ui.DTC_label->text();
    const bool codesLeft = ui.DTC_label->text() != QLatin1String("0");
    ui.Command1->setEnabled(codesLeft);
    ui.DTC_Clear_Button->setEnabled(codesLeft);
    if (codesLeft) ui.DTC_List->clear();
    Pause(100);
    ReadDtcList(ui);
}

} // namespace vorkel
