#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace vorkelsim {

// A piece of output and the pause before it.
struct Segment {
    int delayMs = 0;
    QByteArray bytes;
    int repeatMs = 0; // > 0: sent again after this pause until the host sends something
};

struct Answer {
    QString command;        // as the adapter understood it ("ATZ", "22E21A")
    bool isRequest = false; // an OBD request (interruptible), not an AT command
    std::vector<Segment> segments;
};

} // namespace vorkelsim
