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
    std::array<QString, MaxDtcCodesRead + 1> codes{}; // 1..min(count, 20)
};

// The count and the codes from the lines read. The single-frame positions are
// used for a single frame, the multi-frame table for a first frame; for a line
// that is neither, the count caption decides ("1": single frame). Lines that
// were not received give empty fields.
DtcReply DecodeDtcReply(const QStringList& lines, const QString& countCaption);

// The count that decides how many lines to read, from line 1 alone.
int DtcCountOfLine1(const QString& line1, const QString& countCaption);

// How many frames the reply's ISO 15765-2 message has, from line 1's
// protocol-control bytes: 1 for a single frame, from the length for a first
// frame; for a line that is neither, as many as asked for (no limit).
int FramesInMessage(const QString& line1);

// Whether a further line ("728 21 ...") is the consecutive frame that belongs
// at line lineNumber (2 and up): its sequence number counts 1, 2, ... F, 0.
bool IsConsecutiveFrame(const QString& line, int lineNumber);

// A single frame "03 7F 18 xx": the cluster refused; code set to xx.
bool IsNegativeFrame(const QString& line1, int& code);

} // namespace vorkel
