#pragma once

#include "sim_options.h"

#include <QStringList>

namespace vorkelsim {

struct SimCommandLine {
    SimOptions options;
    int comPort = 0;        // --com N: reachable as COM N
    int tcpPort = -1;       // --tcp P: listen on 127.0.0.1:P like a WiFi adapter
    bool bluetooth = false; // --bluetooth: a paired Bluetooth adapter on a private bus
    QString portsDir;       // where the COMn link goes
    bool trace = false;
    QString error; // set when the arguments are not understood
    bool helpShown = false;
    QString helpText;
};

// Reads vorkel-sim's arguments (argv[0] first).
SimCommandLine ParseSimArguments(const QStringList& arguments, const QString& defaultPortsDir);

} // namespace vorkelsim
