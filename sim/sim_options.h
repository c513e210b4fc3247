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

// The computer's Bluetooth service as the stand-in plays it (bluez_standin.h).
struct SimBluetooth {
    bool service = true;         // the service is on the bus
    bool adapter = true;         // the computer has a Bluetooth adapter
    bool powered = true;         // ...switched on
    bool paired = true;          // the OBD-II adapter is paired
    bool answersPage = true;     // it answers over the radio (in range, powered)
    bool answers = true;         // the service answers questions (false: holds its name, mute)
    bool heldByOther = false;    // another program (a phone app) has it connected
    bool beingConnected = false; // another program is connecting it now
    QString name = QStringLiteral("OBDII");
    QString address = QStringLiteral("00:1D:A5:68:98:8B");
};

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
    int latencyJitterMs = 0;       // up to this much more before an answer (radio links)
    bool padding = false;          // frames padded to 8 bytes, shown with headers on
    std::uint8_t padByte = 0x00;
    bool trailingBlank = true;    // a blank after the last byte of a frame line
    bool searching = false;       // "SEARCHING..." before the first answer after ATSP A/0
    int searchMs = 0;             // how long that protocol search takes
    bool strict = false;          // a byte arriving during a request stops it: "STOPPED"
    bool splitBytes = false;      // every byte written on its own
    bool otherUnits = false;      // frames of other control units among the cluster's (no filter)
    CommandSet refuse;            // answered "?"
    CommandSet ignore;            // answered "OK" and not applied, as some clones do
    QByteArray voltage = "12.6V"; // what AT RV reports of the OBD socket's supply
    CommandSet noData;            // the cluster stays silent: "NO DATA"
    bool modem = false;           // not an adapter: a modem that answers OK/ERROR, never a prompt
    CommandSet noDataOnce;        // "NO DATA" the first time only, as adapters do now and then
    CommandSet err94;             // "ERR94": the adapter's own CAN error, its settings reset
    CommandSet canError;          // "CAN ERROR"
    CommandSet bufferFull;        // the first frame, then "BUFFER FULL"
    QMap<QString, int> pending;   // that many 7F xx 78 frames before the answer
    CommandSet pendingLate;       // 7F xx 78, then the prompt: the answer never comes
    int pendingGapMs = 50;        // between a 7F xx 78 frame and what follows
    CommandSet pendingForever;    // 7F xx 78 again and again, never the answer nor the prompt
    int pendingRepeatMs = 1500;   // between those frames
    CommandSet endless;           // noise without end and never a prompt
    CommandSet stopped;           // "STOPPED", as when the request is interrupted
    // Frame n of a long (multi-frame) answer, 0 the first frame; -1: none.
    int dropFrame = -1;       // lost without a word, as clones on a busy bus lose frames
    int cutFrame = -1;        // its line ends in the middle of a byte (a serial overrun)
    int errorFrame = -1;      // its line carries the adapter's "<DATA ERROR" after the bytes
    int dropByte = -1;        // its fourth byte is lost (a padded frame one byte short)
    CommandSet errorAnswer;   // the answer's line ends "...00<DATA ERROR", no blank between
    QString unplugOn;         // close the line while answering this command...
    int unplugAfterBytes = 0; // ...after this many bytes of its answer
    QByteArray lateLine;      // sent unasked right after every answer to the cluster

    SimBluetooth bluetooth; // when played as a Bluetooth adapter

    QByteArray replayLog;    // a recorded log played back instead of all of the above
    bool replayFast = false; // ...without its pauses

    // The cluster
    ClusterScenario cluster;
};

} // namespace vorkelsim
