#include "dtc/dtc_reply.h"

#include "dtc/dtc_count.h"
#include "link/reply_lines.h"
#include "link/reply_text.h"

#include <algorithm>
#include <limits>

namespace vorkel {
namespace {

struct Field {
    int line;     // 1..9
    int position; // first of the two characters, 1-based
};

struct CodePlace {
    Field high;
    Field low;
};

// Payload byte p <= 5 sits in line 1 at 3p+7; p >= 6 in line 2 + (p-6)/7 at
// 3r+8 with r = (p-6) mod 7. Code k has its bytes at payload 3k-1 and 3k.
const CodePlace CodePlaces[MaxDtcCodesRead] = {
    {{1, 13}, {1, 16}}, {{1, 22}, {2, 8}},  {{2, 14}, {2, 17}}, {{2, 23}, {2, 26}},
    {{3, 11}, {3, 14}}, {{3, 20}, {3, 23}}, {{4, 8}, {4, 11}},  {{4, 17}, {4, 20}},
    {{4, 26}, {5, 8}},  {{5, 14}, {5, 17}}, {{5, 23}, {5, 26}}, {{6, 11}, {6, 14}},
    {{6, 20}, {6, 23}}, {{7, 8}, {7, 11}},  {{7, 17}, {7, 20}}, {{7, 26}, {8, 8}},
    {{8, 14}, {8, 17}}, {{8, 23}, {8, 26}}, {{9, 11}, {9, 14}}, {{9, 20}, {9, 23}},
};

QString FieldText(const QStringList& lines, Field field) {
    if (field.line > lines.size()) return {};
    return Piece(lines.at(field.line - 1), field.position, 2);
}

// The ISO 15765-2 message length of a single or first frame; 0 for another line.
int MessageLength(const QString& line1) {
    switch (FrameKindOfLine1(line1)) {
    case DtcFrameKind::Single:
        return HexTextValue(Piece(line1, 2, 1));
    case DtcFrameKind::First:
        return (HexTextValue(Piece(line1, 2, 1)) << 8) | HexTextValue(Piece(line1, 4, 2));
    case DtcFrameKind::Unknown:
        break;
    }
    return 0;
}

// Code k of a single frame: payload bytes 3k-1 and 3k, behind one protocol-control byte.
QString SingleFrameCode(const QString& line1, int k) {
    return Piece(line1, 9 * k + 1, 2) + Piece(line1, 9 * k + 4, 2);
}

} // namespace

DtcFrameKind FrameKindOfLine1(const QString& line1) {
    const QString pci = Piece(line1, 1, 2);
    bool ok = false;
    const int value = pci.toInt(&ok, 16);
    if (!ok || pci.size() != 2 || pci.contains(QLatin1Char(' '))) return DtcFrameKind::Unknown;
    if (value >= 0x01 && value <= 0x07) return DtcFrameKind::Single;
    if ((value >> 4) == 1) return DtcFrameKind::First;
    return DtcFrameKind::Unknown;
}

int DtcLinesNeeded(int count) {
    static const int thresholds[] = {2, 5, 7, 9, 12, 14, 16, 19}; // for lines 2 to 9
    int lines = 1;
    for (const int threshold : thresholds) {
        if (count >= threshold) ++lines;
    }
    return lines;
}

int DtcCountOfLine1(const QString& line1, const QString& countCaption) {
    switch (FrameKindOfLine1(line1)) {
    case DtcFrameKind::First:
        return HexTextValue(Piece(line1, 10, 2));
    case DtcFrameKind::Single: {
        const int countByte = HexTextValue(Piece(line1, 7, 2));
        // The caption says one code; the reply's own count is not consulted.
        if (countCaption == QLatin1String("1")) return countByte >= 1 ? 1 : 0;
        return countByte;
    }
    case DtcFrameKind::Unknown:
        break;
    }
    return 0;
}

bool IsWholeDtcFrame(const QString& line, int lineNumber, const QString& line1) {
    const std::optional<QByteArray> bytes =
        ClusterFrameBytes(lineNumber == 1 ? ClusterHeader + line : line);
    if (!bytes) return false;
    const int pci = static_cast<std::uint8_t>(bytes->at(0));
    const auto size = static_cast<int>(bytes->size());
    // A CAN frame carries 8 bytes: the adapter shows them all (padding shown)
    // or just what the control byte promises; any other length lost a byte.
    if (lineNumber == 1) {
        if (pci >= 0x01 && pci <= 0x07) return IsWholeSingleFrame(ClusterHeader + line);
        return (pci >> 4) == 1 && size == 8;
    }
    if (FrameKindOfLine1(line1) != DtcFrameKind::First || pci != (0x20 | ((lineNumber - 1) & 0xF)))
        return false;
    const int left = MessageLength(line1) - 6 - 7 * (lineNumber - 2);
    return left > 0 && (size == 8 || size == 1 + std::min(7, left));
}

DtcReply DecodeDtcReply(const QStringList& lines, const QString& countCaption) {
    DtcReply reply;
    const QString line1 = lines.value(0);
    if (!IsWholeDtcFrame(line1, 1, line1)) {
        reply.complete = false;
        return reply;
    }
    int wholeLines = 1;
    while (wholeLines < lines.size() &&
           IsWholeDtcFrame(lines.at(wholeLines), wholeLines + 1, line1))
        ++wholeLines;
    const bool single = FrameKindOfLine1(line1) == DtcFrameKind::Single;
    const int length = MessageLength(line1);
    // Payload bytes that came in whole frames; code k needs bytes 3k-1 and 3k.
    const int bytesHeld = single ? length : std::min(length, 6 + 7 * (wholeLines - 1));
    const int held = std::max(0, (bytesHeld - 1) / 3);

    reply.count = std::min(DtcCountOfLine1(line1, countCaption), 255);
    const int wanted = std::min(reply.count, MaxDtcCodesRead);
    for (int k = 1; k <= std::min(wanted, held); ++k) {
        const CodePlace& place = CodePlaces[k - 1];
        reply.codes[static_cast<std::size_t>(k)] =
            single ? SingleFrameCode(line1, k)
                   : FieldText(lines, place.high) + FieldText(lines, place.low);
    }
    reply.complete = held >= wanted;
    return reply;
}

int FramesInMessage(const QString& line1) {
    switch (FrameKindOfLine1(line1)) {
    case DtcFrameKind::Single:
        return 1;
    case DtcFrameKind::First: // six bytes ride in the first frame, seven in each further one
        return 1 + (std::max(0, MessageLength(line1) - 6) + 6) / 7;
    case DtcFrameKind::Unknown:
        break;
    }
    return std::numeric_limits<int>::max();
}

bool IsNegativeFrame(const QString& line1, int& code) {
    const std::optional<NegativeAnswer> refusal = NegativeAnswerOf(ClusterHeader + line1);
    if (!refusal || !IsWholeDtcFrame(line1, 1, line1)) return false;
    code = refusal->code;
    return true;
}

} // namespace vorkel
