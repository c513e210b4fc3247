#pragma once

#include <QString>

namespace vorkel {

class MSComm;

// How far an erase got, for the words after a failure.
struct EraseProgress {
    bool sent = false;        // the request went out: the cluster may have erased
    bool answerHeard = false; // its positive answer began but never arrived whole
    bool confirmed = false;   // its whole positive answer arrived (set by the caller once
                              // EraseCodes has returned): the codes are erased
};

// Erases the cluster's trouble codes (ClearDiagnosticInformation, all
// groups). Returns once the cluster's whole positive answer has arrived,
// whatever happens after it; progress says how far it got. Throws LinkError
// when a wait cannot complete or the cluster refuses.
void EraseCodes(MSComm& comm, EraseProgress& progress);

} // namespace vorkel
