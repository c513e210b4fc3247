#pragma once

#include <QString>
#include <array>
#include <cstdint>

// State that lives for the whole run and is shared between the modules.
namespace vorkel {

// COM port number, 1 for COM1; 0 until the settings are loaded.
extern std::int16_t CommPortNumber;
// Baud rate as decimal digits ("9600"); empty until the settings are loaded.
extern QString CommSpeed;
// A network (WiFi) adapter's "HOST:PORT" chosen in Setup, used instead of the
// COM port; empty for the COM port.
extern QString NetworkAdapter;
// A Bluetooth adapter's address ("00:1D:A5:68:98:8B") chosen in Setup, used
// instead of the COM port; empty for none. At most one of the two is set.
extern QString BluetoothAdapter;
// Full path of VORKEL.INI beside the program.
extern QString IniFilePath;
// Where the adapter stands: one of the three values below.
extern std::int16_t AdapterState;
inline constexpr std::int16_t AdapterNotInitialised = 0;
inline constexpr std::int16_t AdapterInitialised = 1; // the connection attempt completed
inline constexpr std::int16_t AdapterTimedOut = 3;    // the connection time-out fired
// Number of codes the last trouble-code reply reported (at most 255).
extern std::int16_t DtcCount;
// Codes as four upper-case hex digits; entries 1 to 20 are written by the list reader.
extern std::array<QString, 256> DtcCodes;

} // namespace vorkel
