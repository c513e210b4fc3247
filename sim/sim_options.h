#pragma once

#include "cluster_model.h"

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>

namespace vorkelsim {

// A fault that applies to one command or request, named as the adapter sees
// it: upper case, no blanks ("ATCAF1", "22E21A", "1800FF00"), or "*" for all
// requests to the cluster.
using CommandSet = QSet<QString>;

struct SimOptions {
    // The adapter
    QString banner = QStringLiteral("ELM327 v1.5"); // what ATZ and ATI print
    int resetDelayMs = 0;                           // ATZ: echo, then this pause, then the banner
    int latencyMs = 0;                              // before every answer
    int wireBaud = 0;              // pace the output at this baud rate (0: as fast as possible)
    int expectBaud = 0;            // the adapter's own speed; another one gives garbage (0: any)
    bool silent = false;           // nothing at all comes back
    bool junkBeforeBanner = false; // a stray 0xFC byte after a reset
    bool lineFeeds = false;        // line feeds on after a reset (ATL1)
    bool padding = false;          // frames padded to 8 bytes, shown with headers on
    std::uint8_t padByte = 0x00;
    bool searching = false;     // "SEARCHING..." before the first answer after ATSP A/0
    bool strict = false;        // a byte arriving during a request stops it: "STOPPED"
    bool splitBytes = false;    // every byte written on its own
    CommandSet refuse;          // answered "?"
    CommandSet noData;          // the cluster stays silent: "NO DATA"
    CommandSet canError;        // "CAN ERROR"
    CommandSet bufferFull;      // the first frame, then "BUFFER FULL"
    QMap<QString, int> pending; // that many 7F xx 78 frames before the answer
    CommandSet pendingLate;     // 7F xx 78, then the prompt: the answer never comes
    int pendingGapMs = 50;      // between a 7F xx 78 frame and what follows
    QString unplugOn;           // close the line while answering this command...
    int unplugAfterBytes = 0;   // ...after this many bytes of its answer
    QByteArray lateLine;        // sent unasked right after every answer to the cluster

    // The cluster
    ClusterScenario cluster;
};

} // namespace vorkelsim
