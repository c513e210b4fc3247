#include "convert/extras.h"

#include <cstdint>
#include <limits>

namespace vorkel {
namespace {

struct SignedText {
    bool negative = false;
    QString digits; // without sign and leading zeros; empty means zero
};

// The two steps every conversion starts with: take off one "-", then the leading "0"s.
SignedText SplitSign(const QString& text) {
    SignedText result;
    QString rest = text;
    if (rest.startsWith(QLatin1Char('-'))) {
        result.negative = true;
        rest.remove(0, 1);
    }
    qsizetype zeros = 0;
    while (zeros < rest.size() && rest.at(zeros) == QLatin1Char('0'))
        ++zeros;
    result.digits = rest.mid(zeros);
    return result;
}

std::int32_t CheckedDouble(std::int32_t value) {
    if (value > std::numeric_limits<std::int32_t>::max() / 2) throw ConversionOverflow();
    return value * 2;
}

std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
    if (a > std::numeric_limits<std::int32_t>::max() - b) throw ConversionOverflow();
    return a + b;
}

double NumericValue(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok) throw ConversionTypeMismatch();
    return value;
}

QString PadLeft4(const QString& bits) {
    return bits.rightJustified(4, QLatin1Char('0'));
}

int HexDigitValue(QChar c) {
    const char ch = c.toLower().toLatin1();
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

} // namespace

QString DecToBin(const QString& text) {
    const SignedText input = SplitSign(text);
    if (input.digits.isEmpty()) return QStringLiteral("0");
    QString remaining = input.digits;
    std::int32_t p = 1;
    while (NumericValue(remaining) >= CheckedDouble(p))
        p = CheckedDouble(p);
    QString result;
    while (p >= 1) {
        const double value = NumericValue(remaining);
        if (value >= p) {
            remaining = QString::number(value - p, 'f', 0);
            result += QLatin1Char('1');
        } else {
            result += QLatin1Char('0');
        }
        p /= 2;
    }
    return input.negative ? QLatin1Char('-') + result : result;
}

QString BinToDec(const QString& text) {
    const SignedText input = SplitSign(text);
    if (input.digits.isEmpty()) return QStringLiteral("0");
    QString rest = input.digits;
    std::int32_t weight = 1;
    std::int32_t sum = 0;
    while (!rest.isEmpty()) {
        if (rest.back() == QLatin1Char('1')) sum = CheckedAdd(sum, weight);
        rest.chop(1);
        weight = CheckedDouble(weight);
    }
    return QString::number(input.negative ? -sum : sum);
}

QString HexToBin(const QString& text) {
    const SignedText input = SplitSign(text);
    if (input.digits.isEmpty()) return QStringLiteral("0");
    QString bits;
    for (const QChar c : input.digits) {
        const int value = HexDigitValue(c);
        // A character that is not a hex digit stands for four zero bits.
        bits += value < 0 ? QStringLiteral("0000") : PadLeft4(DecToBin(QString::number(value)));
    }
    qsizetype zeros = 0;
    while (zeros < bits.size() && bits.at(zeros) == QLatin1Char('0'))
        ++zeros;
    bits.remove(0, zeros);
    return input.negative && !bits.isEmpty() ? QLatin1Char('-') + bits : bits;
}

QString HexToDec(const QString& text) {
    const SignedText input = SplitSign(text);
    if (input.digits.isEmpty()) return QStringLiteral("0");
    QString bits;
    for (const QChar c : input.digits)
        bits += PadLeft4(HexToBin(QString(c)));
    if (input.negative) bits.prepend(QLatin1Char('-'));
    return BinToDec(bits);
}

} // namespace vorkel
