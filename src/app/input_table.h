#pragma once

#include <QString>

// What each input of the main window does during each wait, decided in one
// place: the table in input_table.cpp. The handlers ask it first and act only
// on its answer.
namespace vorkel {

// Where the window stands when an input comes.
enum class Moment {
    Idle,               // no wait runs (connected or not)
    ConnectCalling,     // Connect: the port, the network adapter or the Bluetooth page
    ConnectReset,       // Connect: the adapter's reset answer (the time-out runs)
    ConnectSetUp,       // Connect: the set-up commands
    ConnectIdentify,    // Connect: the cluster's part number
    ConnectCount,       // Connect: the count
    ConnectList,        // Connect: the list
    View,               // View DTC: the list
    ClearBeforeRequest, // Clear DTC: its request not sent yet
    ClearSent,          // Clear DTC: the request is out, the cluster may be erasing
    ClearReadBack,      // Clear DTC: confirmed; the count and list read back
    Check,              // Setup's Check Adapter holds the adapter
};
inline constexpr int MomentCount = 12;

enum class Input {
    ConnectButton, // "Connect" or "Disconnect", as its caption says
    ViewButton,
    ClearButton,
    Escape,
    Setup,
    About,
    Exit,
    CloseBox,
    Timer1,       // the connection time-out
    PortLost,     // the adapter went away under the port
    LateBluetooth // the Bluetooth service hands over a link nobody waits for
};
inline constexpr int InputCount = 11;

enum class Response {
    Act,             // the input does what it does when nothing waits
    Stop,            // the wait ends: the port closes, "... was stopped by the user."
    StopThenAct,     // the wait is stopped as above, then the input acts
    RefuseBusy,      // a word: another operation runs
    RefuseErasing,   // a word: the cluster may be erasing, its answer is awaited
    RefuseCheck,     // a word: Check Adapter is using the adapter
    QuitAfterAnswer, // the program ends once Clear DTC's answer has come
    LeaveToWait,     // the wait that runs sees it and says what happened
    Ignore,          // nothing happens
};

Response Respond(Moment moment, Input input);

// For the log: "ClearSent", "Escape".
QString MomentName(Moment moment);
QString InputName(Input input);

} // namespace vorkel
