#pragma once

#include <QString>
#include <QStringList>

namespace vorkel {

class MSComm;

// What the cluster's list said.
struct CodeList {
    int count = 0;        // the number of codes the list reported (DtcCount)
    QStringList codes;    // the codes read, as received ("9201"), in reply order
    QStringList lines;    // their listed lines ("B1201,Fuel Sender Circuit Failure")
    bool complete = true; // false: a frame was missing, damaged or out of order
};

// Reads the stored trouble codes (ReadDiagnosticTroubleCodesByStatus, all
// groups) into DtcCount and DtcCodes 1..20; countText is the count read before
// it (a list whose count is "1" is read as one code). Throws LinkError when a
// wait cannot complete; a list cut short is returned incomplete.
CodeList ReadCodeList(MSComm& comm, const QString& countText);

} // namespace vorkel
