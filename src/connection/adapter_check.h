#pragma once

#include "connection/check_report.h"

#include <functional>

namespace vorkel {

class MSComm;

// What a running check tells its window: what it waits for now (the reset,
// the speed search, a step's answer), and that a step has ended.
struct CheckProgress {
    std::function<void(const QString& waitingFor)> waiting;
    std::function<void()> stepDone;
};

// Check Adapter: opens the port once (the control is configured by the
// caller), waits until the line is quiet, and runs a harmless sequence, one
// command at a time, each within the exchange's bounds: the reset and the
// adapter's identity (ATZ, ATI, AT@1), the supply voltage (ATRV), every
// set-up command of Connect up to the first that fails, and the cluster's
// first identification read with its round trip. Each step takes only the
// answer that fits it; one left from before the check is passed over.
// Nothing is written to the cluster. When the reset goes unanswered on a
// serial port, the speed search says where the adapter is. Closing the port
// from outside cancels the check within a wake-up. The port is closed at the end.
void RunAdapterCheck(MSComm& comm, CheckResult& result, const CheckProgress& progress);

} // namespace vorkel
