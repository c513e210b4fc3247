#pragma once

#include <QString>

namespace vorkel {

class MSComm;

// Asks the cluster how many trouble codes it holds (ReadDataByIdentifier
// 0x0200). Throws LinkError when a wait cannot complete.
int ReadCodeCount(MSComm& comm);

// The hexadecimal reading of a text: blanks, tabs and line feeds are skipped,
// digits are read up to the first other character; no digits give 0. Values
// beyond the int range saturate.
int HexTextValue(const QString& text);

// The part of the count's value text that belongs to the reply: the frame's
// length byte, just before the marker in what the wait gathered, tells how
// many bytes follow the marker, so padding bytes are not read as digits.
QString CountValueText(const QString& gatheredWithMarker, const QString& marker,
                       const QString& valueText);

} // namespace vorkel
