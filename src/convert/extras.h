#pragma once

#include <QString>
#include <stdexcept>

// Conversions between hexadecimal, binary and decimal number texts. Binary is
// the intermediate form; working integers are 32-bit signed and fail with
// ConversionOverflow instead of wrapping.
namespace vorkel {

struct ConversionOverflow : std::overflow_error {
    ConversionOverflow() : std::overflow_error("overflow") {}
};

struct ConversionTypeMismatch : std::invalid_argument {
    ConversionTypeMismatch() : std::invalid_argument("type mismatch") {}
};

QString DecToBin(const QString& text); // values up to 2^30 - 1
QString BinToDec(const QString& text); // at most 30 significant binary digits
QString HexToBin(const QString& text); // any length
QString HexToDec(const QString& text); // values up to 3FFFFFFF

} // namespace vorkel
