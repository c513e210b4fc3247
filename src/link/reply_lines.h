#pragma once

#include <QString>

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

// A cluster frame "728 03 7F xx 78": busy, the answer is still to come.
bool IsPendingFrame(const QString& line);

// Whether the gathered text has just completed the marker in a line of the
// cluster's. A marker that ends in a blank also counts when the line ends
// right after its last byte (some clones print no blank before the CR); then
// lineEndTaken is set, as the CR has been read with it.
bool MarkerComplete(const QString& gathered, const QString& marker, bool& lineEndTaken);

} // namespace vorkel
