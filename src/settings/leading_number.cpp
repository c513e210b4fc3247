#include "settings/leading_number.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace vorkel {
namespace {

std::string Squeezed(const QString& text) {
    std::string out;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) continue;
        // Anything beyond ASCII cannot continue a number; keep a stopper in its place.
        out.push_back(c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\x01');
    }
    return out;
}

std::optional<double> RadixNumber(const std::string& s, std::size_t start, int radix) {
    double value = 0;
    for (std::size_t i = start; i < s.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        if (digit < 0 || digit >= radix) break;
        value = value * radix + digit;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<double> LeadingNumber(const QString& text) {
    const std::string s = Squeezed(text);
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(s[1])));
        if (kind == 'h') return RadixNumber(s, 2, 16);
        if (kind == 'o') return RadixNumber(s, 2, 8);
    }
    std::size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
    bool anyDigit = false;
    while (i < s.size() && IsDigit(s[i])) {
        number.push_back(s[i++]);
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        while (i < s.size() && IsDigit(s[i])) {
            number.push_back(s[i++]);
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        bool expDigit = false;
        while (j < s.size() && IsDigit(s[j])) {
            exponent.push_back(s[j++]);
            expDigit = true;
        }
        if (expDigit) number += exponent;
    }
    // from_chars reads the C notation whatever the user's locale (strtod would
    // take "1.5" as 1 under a decimal-comma locale).
    double value = 0;
    const auto [end, error] = std::from_chars(number.data() + (number[0] == '+' ? 1 : 0),
                                              number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small for a double reads as 0, as it always has; too large is an overflow.
        if (number.find("e-") != std::string::npos) return 0.0;
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

std::optional<std::int16_t> PortNumberText(const QString& text) {
    const std::optional<double> value = LeadingNumber(text);
    if (!value) return std::nullopt;
    const double rounded = RoundHalfEven(*value);
    if (rounded < -32768 || rounded > 32767) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

QString ShortNumberText(double value) {
    if (value == 0) return QStringLiteral("0"); // no "-0"
    if (std::floor(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    return QString::number(value, 'g', 15);
}

} // namespace vorkel
