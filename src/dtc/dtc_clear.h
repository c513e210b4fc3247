#pragma once

#include "common/form1_controls.h"

#include <QString>

namespace vorkel {

// Erases the cluster's trouble codes (ClearDiagnosticInformation, all groups),
// then reads the count and the list again and sets the two DTC buttons.
// Throws LinkError when a wait cannot complete; a refusal leaves count, list
// and buttons as they were.
void ClearDtcCodes(Form1Controls& ui);

// How far an erase got, for the words after a failure.
struct EraseProgress {
    bool sent = false;        // the request went out: the cluster may have erased
    bool answerHeard = false; // its positive answer began but never arrived whole
    bool confirmed = false;   // its whole positive answer arrived: the codes are erased
};

// The two halves of ClearDtcCodes: the erase request itself, then the count,
// the buttons and the list read again.
// EraseDtcCodes returns once the cluster's whole positive answer has arrived,
// whatever happens after it; progress, when given, says how far it got.
// countRead, when given, receives the count once it has been read.
void EraseDtcCodes(Form1Controls& ui, EraseProgress* progress);
void ShowCodesAfterClearing(Form1Controls& ui, QString* countRead = nullptr);

} // namespace vorkel
