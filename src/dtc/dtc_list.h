#pragma once

#include "common/form1_controls.h"

namespace vorkel {

// Reads the stored trouble codes (ReadDiagnosticTroubleCodesByStatus, all
// groups) into DtcCount and DtcCodes 1..20 and lists the known ones in
// DTC_List. Throws LinkError when a wait cannot complete.
void ReadDtcList(Form1Controls& ui);

} // namespace vorkel
