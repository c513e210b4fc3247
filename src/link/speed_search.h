#pragma once

#include <QString>
#include <optional>

namespace vorkel {

class MSComm;

// The speeds adapters ship with, in the order they are tried.
inline constexpr int StandardSpeeds[] = {38400, 9600, 115200, 57600, 19200};

// Looks for the adapter at the other standard speeds on the open port, at
// most totalMs in all: at each it asks "ATI" (the adapter names itself and
// changes nothing) and looks for the prompt. The speed at which it answered,
// or nothing. Ends early when the port closes.
std::optional<int> FindAdapterSpeed(MSComm& comm, int configured, int totalMs = 1800);

// The second line of "Unable to Connect To ELM": the speed found, or that
// nothing answered at any speed.
QString SpeedSearchAdvice(std::optional<int> found);

} // namespace vorkel
