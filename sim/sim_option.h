#pragma once

#include "sim_arguments.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The options of vorkel-sim, declared in tables by what they set.
namespace vorkelsim {

// One option: declared once, with its help text and what it does. apply
// returns an error text, or nothing when the value is understood.
struct SimOption {
    const char* name;
    const char* valueName; // nullptr: a switch without a value
    const char* help;
    std::function<QString(SimCommandLine&, const QString&)> apply;
};

// What the adapter and the line do wrong (fault_options.cpp).
std::vector<SimOption> FaultOptions();

bool ParseHexByte(const QString& text, std::uint8_t& out);
// A command as the adapter sees it: upper case, no blanks.
QString Normalised(const QString& command);
QString WholeNumber(const QString& value, const char* name, int& target);
QString HexByte(const QString& value, const char* name, std::uint8_t& target);
// Adds a command ("*": every request) to a fault's set.
void Insert(CommandSet& set, const QString& value);

} // namespace vorkelsim
