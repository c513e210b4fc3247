#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Pure readings of the adapter's reply lines, as it prints them with headers
// on: "728 03 54 FF 00 \r". No I/O here.
namespace vorkel {

// The cluster answers from CAN identifier 728; every frame line starts so.
inline const QString ClusterHeader = QStringLiteral("728 ");

// The text after the last CR: the line that is still arriving.
QString CurrentLine(const QString& gathered);

// A frame line from another control unit ("7E8 03 41 0D 00 "): a three-digit
// identifier other than 728, then bytes. Adapters without a receive filter
// print these among the cluster's lines.
bool IsOtherUnitFrame(const QString& line);

// The bytes of a whole frame line of the cluster's: "728 ", then pairs of hex
// digits with one blank between them (a blank after the last one allowed),
// then the CR or the line's end, and nothing else. A line cut short, a digit
// missing from a pair, or the adapter's own marker after the bytes ("<DATA
// ERROR", "<RX ERROR") gives nothing: its bytes cannot be trusted.
std::optional<QByteArray> ClusterFrameBytes(const QString& line);

// A whole single frame "728 0L ...": exactly its L bytes, or exactly the 8
// bytes of a CAN frame with the padding shown. Any other length lost a byte
// on the way ("728 04 62 02 00 00 00 00" is not a count of 0).
bool IsWholeSingleFrame(const QString& line);

// The service that a whole single or first frame of the cluster's answers: a
// positive answer carries the service plus 0x40, a refusal 0x7F and the
// service ("728 03 7F 22 31 " answers 0x22); -1 for any other line. A frame
// that came too late for its own reply is printed in the next one.
int ServiceAnswered(const QString& line);

// The service a request asks for, its first byte ("1800ff00": 0x18); -1 for
// an adapter command.
int RequestService(const QString& request);

// The whole line that a marker wait ended in: the line's start in what was
// gathered (which ends with the marker, or with the CR right after it) and
// the rest that the next read line returned.
QString LineOfMarker(const QString& gathered, const QString& rest);

// What the adapter sent, for the user: the last whole lines heard since the
// request, without its echo, the prompt and empty lines, a line repeated in a
// row told once, joined by " | ", at most 200 characters; the tail of what
// came when no line ended ("7" is no answer anyone can read).
QString WhatTheAdapterSent(const QString& heard, const QString& request);

// Whether a line of the cluster's begins with this answer byte ("728 03 54 FF
// 0", cut): its answer came, though perhaps damaged past reading.
bool HeardClusterAnswer(const QString& heard, const QString& answerByte);

// A refusal frame of the cluster's "728 0L 7F ss cc": the service it refuses
// and its response code; nothing for any other line.
struct NegativeAnswer {
    int service = -1;
    int code = -1;
};
std::optional<NegativeAnswer> NegativeAnswerOf(const QString& line);

// A cluster frame "728 03 7F ss 78" for this service: busy, the answer is
// still to come. Another service's is a late answer to an earlier request.
bool IsPendingFrame(const QString& line, int service);

// Whether the gathered text has just completed the marker in a line of the
// cluster's. A marker that ends in a blank also counts when the line ends
// right after its last byte (some clones print no blank before the CR); then
// lineEndTaken is set, as the CR has been read with it.
bool MarkerComplete(const QString& gathered, const QString& marker, bool& lineEndTaken);

} // namespace vorkel
