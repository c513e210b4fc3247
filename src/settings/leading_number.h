#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace vorkel {

// Reads the number a text starts with. Blanks, tabs and line feeds are ignored
// wherever they stand; then an optional sign, digits, an optional decimal point
// with digits and an optional exponent (E or D); "&H" and "&O" read a hex or
// octal number instead. Text without a leading number gives 0. Empty when the
// number does not fit a double (an overflow).
std::optional<double> LeadingNumber(const QString& text);

// Round to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// A port number from text: its leading number rounded half to even; nothing
// when that does not fit 16 bits (or overflows).
std::optional<std::int16_t> PortNumberText(const QString& text);

// The short decimal form of a number: 9600 as "9600", 1.5 as "1.5".
QString ShortNumberText(double value);

} // namespace vorkel
