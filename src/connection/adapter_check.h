#pragma once

#include "connection/check_report.h"

#include <functional>

namespace vorkel {

class MSComm;

// Check Adapter: opens the port once (the control is configured by the
// caller) and runs a harmless sequence, one command at a time, each within
// the exchange's bounds: the reset and the adapter's identity (ATZ, ATI,
// AT@1), the supply voltage (ATRV), every set-up command of Connect, and the
// cluster's first identification read with its round trip. Nothing is
// written to the cluster. When the reset goes unanswered on a serial port,
// the speed search says where the adapter is. stepDone runs after each step;
// closing the port from outside cancels the check within a wake-up. The port
// is closed at the end.
void RunAdapterCheck(MSComm& comm, CheckResult& result, const std::function<void()>& stepDone);

} // namespace vorkel
