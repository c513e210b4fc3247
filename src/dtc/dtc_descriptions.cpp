#include "dtc/dtc_descriptions.h"

#include "common/shared_state.h"

#include <algorithm>

namespace vorkel {
namespace {

struct Description {
    const char* key; // the code's two bytes as received
    const char* line;
};

const Description Descriptions[] = {
    {"9201", "B1201,Fuel Sender Circuit Failure"},
    {"9317", "B1317,Battery Voltage High"},
    {"9318", "B1318,Battery Voltage Low"},
    {"9342", "B1342,EE checksum Internal data failure"},
    {"9499", "B1499,Turn Signal Left Circuit Bulb out"},
    {"9503", "B1503,Turn Signal Right Circuit Bulb out"},
    {"9579", "B1579,Dim Increase circuit failure"},
    {"9583", "B1583,Dim Decrease circuit failure"},
    {"9875", "B1875,Turn Signal / Hazard Switch failure"},
    {"A675", "B2675,Trip reset button stuck"},
    {"A680", "B2680,Odometer Changed"},
    {"A681", "B2681,PRND Sender Failure"},
    {"A895", "B2895,Trip Mode Switch Circuit failure"},
    {"A896", "B2896,Odometer Data Failure"},
    {"D900", "U1900,CAN Comms Bus Fault Receive Error"},
    {"E196", "U2196,Invalid Engine RPM data"},
    {"E197", "U2197,Invalid Vehicle Speed data"},
    {"E198", "U2198,Invalid Fuel Pulse Data"},
    {"E199", "U2199,Invalid Engine Coolant Temp Data"},
    {"E200", "U2200,Invalid ODO Count Data"},
};

bool IsHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

} // namespace

QString DtcDescription(const QString& code) {
    for (const Description& d : Descriptions) {
        if (code == QLatin1String(d.key)) return QLatin1String(d.line);
    }
    return {};
}

QString J2012Code(const QString& code) {
    if (code.size() != 4 || !std::all_of(code.begin(), code.end(), IsHexDigit)) return {};
    const int value = code.toInt(nullptr, 16);
    static const char letters[] = {'P', 'C', 'B', 'U'};
    return QStringLiteral("%1%2%3")
        .arg(QLatin1Char(letters[value >> 14]))
        .arg((value >> 12) & 3)
        .arg(value & 0xFFF, 3, 16, QLatin1Char('0'))
        .toUpper();
}

QString DtcLine(const QString& code) {
    const QString known = DtcDescription(code);
    if (!known.isEmpty()) return known;
    const QString j2012 = J2012Code(code);
    return j2012.isEmpty() ? QString() : j2012 + QLatin1String(UnknownDescription);
}

QStringList DtcDescriptionLines() {
    QStringList lines;
    const int n = std::clamp<int>(DtcCount, 0, static_cast<int>(DtcCodes.size()) - 1);
    for (int i = 1; i <= n; ++i) {
        const QString line = DtcLine(DtcCodes[static_cast<std::size_t>(i)]);
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

} // namespace vorkel
