#include "dtc/dtc_count.h"

#include "common/wait_steps.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/reply_lines.h"

#include <limits>

namespace vorkel {

namespace {

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

} // namespace

int HexTextValue(const QString& text) {
    qint64 value = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) continue;
        const int digit = HexDigit(c);
        if (digit < 0) break;
        value = value * 16 + digit;
        if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

QString CountValueText(const QString& gatheredWithMarker, const QString& marker,
                       const QString& valueText) {
    const QString before = gatheredWithMarker.left(gatheredWithMarker.size() - marker.size());
    // "728 04 " + marker: a single frame whose length byte is the one before the marker.
    if (before.size() < 7 || !before.endsWith(QLatin1Char(' ')) ||
        before.mid(before.size() - 7, 4) != QLatin1String("728 "))
        return valueText;
    bool ok = false;
    const int pci = before.mid(before.size() - 3, 2).toInt(&ok, 16);
    const int markerBytes = static_cast<int>(marker.size() / 3);
    if (!ok || pci < 1 || pci > 7 || pci < markerBytes) return valueText;
    return valueText.left((pci - markerBytes) * 3);
}

int ReadCodeCount(MSComm& comm) {
    TellWaiting(QLatin1String(StepReadingCodes), Scaled(CurrentLinkLimits().endlessAnswerMs));
    const QString marker = QStringLiteral("62 02 ");
    Exchange exchange(comm);
    QString valueText;
    const QString gathered = ReadAgainAfterNoData([&] {
        exchange.Send(QStringLiteral("220200"));
        const QString untilMarker = exchange.WaitForMarker(marker);
        valueText = exchange.ReadLine();
        return untilMarker;
    });
    exchange.Finish();
    // A count read out of a cut or error-marked frame would be a made-up number.
    const QString line = LineOfMarker(gathered, valueText);
    if (!IsWholeSingleFrame(line)) throw LinkError(LinkFailure::DamagedAnswer, line.trimmed());
    return HexTextValue(CountValueText(gathered, marker, valueText));
}

} // namespace vorkel
