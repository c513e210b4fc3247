#pragma once

#include "common/form1_controls.h"

#include <QString>
#include <functional>

namespace vorkel {

class Exchange;

// The connection attempt: tests and opens the port, resets and configures the
// adapter, identifies the cluster and reads the trouble-code count. Ends with
// "Connected" and AdapterState initialised; a wait that cannot complete throws LinkError.
// A port that cannot be opened is reported here and ends the attempt quietly,
// the window untouched. Once it is open, the part number, type, count and
// list of the car before are emptied and portOpened (when given) is called.
void ConnectAdapter(Form1Controls& ui, const std::function<void()>& portOpened = {});

// The four set-up commands after the reset (CAN auto-formatting, protocol,
// the cluster's request header, headers on), each awaited up to its "OK".
void SendSetUpCommands(Exchange& exchange);
inline constexpr const char* SetUpCommands[] = {"atcaf1", "atspa6", "atsh720", "ath1"};

// The adapter's identification from its reset answer: the text from the first
// "ELM" to the prompt, without the line ends that close it. Without "ELM",
// the text before the prompt, trimmed.
QString AdapterBanner(const QString& resetAnswer);

} // namespace vorkel
