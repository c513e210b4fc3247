#pragma once

#include <QString>
#include <QStringList>
#include <array>

// Where the trouble codes stand in the reply lines of ReadDiagnosticTroubleCodes-
// ByStatus, as the adapter prints them with headers on: line 1 is the text
// after the first "728 ", lines 2 to 9 each start with their own "728 ".
namespace vorkel {

inline constexpr int MaxDtcCodesRead = 20;

enum class DtcFrameKind { Single, First, Unknown };

// The frame kind from line 1's protocol-control byte: 0n single, 1n first frame.
DtcFrameKind FrameKindOfLine1(const QString& line1);

// How many reply lines hold the digits of count codes (line 1 included).
int DtcLinesNeeded(int count);

struct DtcReply {
    int count = 0;                                    // what DtcCount becomes
    std::array<QString, MaxDtcCodesRead + 1> codes{}; // 1..min(count, 20); empty when not held
    bool complete = true; // every code the count calls for (up to 20) came in whole frames
};

// The count and the codes from the lines read. Only whole frames count (see
// IsWholeDtcFrame), and the first that is not ends the reading: the codes
// before it are taken, and the reply is not complete. A single frame's codes
// stand at its own positions, a first frame's at the multi-frame table's;
// with the count caption "1" a single frame counts one code whatever its
// count byte says. A damaged line 1 gives no code at all.
DtcReply DecodeDtcReply(const QStringList& lines, const QString& countCaption);

// The count that decides how many lines to read, from line 1 alone (0 for a
// line 1 that is neither a single nor a first frame).
int DtcCountOfLine1(const QString& line1, const QString& countCaption);

// Whether a reply line is the whole frame its place calls for, at its exact
// length: line 1 (the text after the first "728 ") a single frame 0L with
// exactly 1+L or 8 bytes, or a first frame 1L LL with exactly 8; line n >= 2
// (with its own "728 ") the consecutive frame 2x of sequence n-1 with exactly
// 8 bytes, the last one exactly what the first frame's length leaves (and
// its control byte) or 8. Pairs of hex digits only: a cut line or one that
// carries the adapter's error marker is not whole.
bool IsWholeDtcFrame(const QString& line, int lineNumber, const QString& line1);

// How many frames the reply's ISO 15765-2 message has, from line 1's
// protocol-control bytes: 1 for a single frame, from the length for a first
// frame; for a line that is neither, as many as asked for (no limit).
int FramesInMessage(const QString& line1);

// A whole single frame "03 7F 18 xx": the cluster refused; code set to xx.
bool IsNegativeFrame(const QString& line1, int& code);

} // namespace vorkel
