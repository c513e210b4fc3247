#pragma once

#include "cluster/cluster_functions.h"
#include "link/reading_view.h"

#include <QString>
#include <functional>

class QTimer;

namespace vorkel {

class Exchange;
class MSComm;

// What a connection attempt read.
struct AdapterReading {
    bool opened = false; // false: the port could not be opened (the message said why)
    QString banner;      // the adapter's identification
    ClusterIdentity cluster;
    int count = 0;
};

// The connection attempt: tests and opens the port, resets and configures the
// adapter, identifies the cluster and reads the trouble-code count. Ends with
// AdapterState initialised; a wait that cannot complete throws LinkError. A
// port that cannot be opened is reported here and ends the attempt quietly.
// Once it is open the view hears PortOpened and portOpened (when given) is
// called; timeOut is the reset's time-out, armed while the reset is awaited.
AdapterReading ConnectToAdapter(MSComm& comm, QTimer& timeOut, ReadingView& view,
                                const std::function<void()>& portOpened = {});

// The four set-up commands after the reset (CAN auto-formatting, protocol,
// the cluster's request header, headers on), each awaited up to its "OK".
void SendSetUpCommands(Exchange& exchange);
inline constexpr const char* SetUpCommands[] = {"atcaf1", "atspa6", "atsh720", "ath1"};

// The adapter's identification from its reset answer: the text from the first
// "ELM" to the prompt, without the line ends that close it. Without "ELM",
// the text before the prompt, trimmed.
QString AdapterBanner(const QString& resetAnswer);

} // namespace vorkel
