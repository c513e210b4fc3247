// The leading-number rule on arbitrary text.
#include "settings/leading_number.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<double> value = vorkel::LeadingNumber(text);
    if (value) {
        if (!std::isfinite(*value)) __builtin_trap();
        const double rounded = vorkel::RoundHalfEven(*value);
        if (std::fabs(rounded - *value) > 0.5) __builtin_trap();
        vorkel::ShortNumberText(*value);
    }
    return 0;
}
