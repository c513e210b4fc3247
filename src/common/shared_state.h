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
// Full path of VORKEL.INI beside the program.
extern QString IniFilePath;
// 0 no initialised adapter, 1 initialisation completed, 3 connection time-out fired.
extern std::int16_t AdapterState;
// Number of codes the last trouble-code reply reported (at most 255).
extern std::int16_t DtcCount;
// Codes as four upper-case hex digits; entries 1 to 20 are written by the list reader.
extern std::array<QString, 256> DtcCodes;

} // namespace vorkel
