#include "app/input_table.h"

#include <array>

namespace vorkel {
namespace {

using R = Response;
constexpr R Act = R::Act, Stop = R::Stop, StpA = R::StopThenAct, Busy = R::RefuseBusy,
            Eras = R::RefuseErasing, Chck = R::RefuseCheck, Quit = R::QuitAfterAnswer,
            Wait = R::LeaveToWait, Ign = R::Ignore;

// One row a moment, one column an input, in the order of the enums.
// A click that would start an operation while one runs is refused with a word;
// a stop closes the port, except once Clear DTC's request is out: nothing may
// cut the cluster's erase off, and Exit then waits for its answer. Opening
// Setup lets the adapter go, so it stops the wait first. A port lost during a
// wait is that wait's failure; the time-out counts only during the reset.
// clang-format off
constexpr std::array<std::array<R, InputCount>, MomentCount> Table{{
    // Connect View Clear Escape Setup About Exit Close Timer1 Lost LateBT
    {{Act , Act , Act , Ign , Act , Act , Act , Act , Ign , Act , Act}}, // Idle
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // ConnectCalling
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Act , Wait, Act}}, // ConnectReset
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // ConnectSetUp
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // ConnectIdentify
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // ConnectCount
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // ConnectList
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // View
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // ClearBeforeRequest
    {{Eras, Busy, Busy, Eras, Eras, Act , Quit, Quit, Ign , Wait, Act}}, // ClearSent
    {{Stop, Busy, Busy, Stop, StpA, Act , Act , Act , Ign , Wait, Act}}, // ClearReadBack
    {{Chck, Chck, Chck, Ign , Act , Act , Act , Act , Ign , Ign , Act}}, // Check
}};
// clang-format on

} // namespace

Response Respond(Moment moment, Input input) {
    return Table.at(static_cast<std::size_t>(moment)).at(static_cast<std::size_t>(input));
}

QString MomentName(Moment moment) {
    static const std::array<const char*, MomentCount> names{
        "Idle",          "ConnectCalling", "ConnectReset", "ConnectSetUp",       "ConnectIdentify",
        "ConnectCount",  "ConnectList",    "View",         "ClearBeforeRequest", "ClearSent",
        "ClearReadBack", "Check"};
    return QLatin1String(names.at(static_cast<std::size_t>(moment)));
}

QString InputName(Input input) {
    static const std::array<const char*, InputCount> names{"Connect",
                                                           "View DTC",
                                                           "Clear DTC",
                                                           "Escape",
                                                           "Setup",
                                                           "About",
                                                           "Exit",
                                                           "close box",
                                                           "Timer1",
                                                           "port lost",
                                                           "late Bluetooth link"};
    return QLatin1String(names.at(static_cast<std::size_t>(input)));
}

} // namespace vorkel
