#pragma once

#include <QString>

#include <QStringList>

namespace vorkel {

// The description line for a code as received ("9201" gives
// "B1201,Fuel Sender Circuit Failure"); empty for a code the table does not hold.
QString DtcDescription(const QString& code);

// What follows the code of a code the table does not hold: a later cluster
// revision or a retrofitted part stores codes no table here knows.
inline constexpr char UnknownDescription[] = ",Description not known";

// A code's SAE J2012 form from its two bytes as four hex digits ("9234" gives
// "B1234": the top two bits choose P, C, B or U); empty for anything else.
QString J2012Code(const QString& code);

// The listed line of a code: the table's line, or the J2012 form followed by
// UnknownDescription; empty for an empty or malformed code (one not read).
QString DtcLine(const QString& code);

// In reply order, the line of each code among DtcCodes 1..DtcCount.
QStringList DtcDescriptionLines();

} // namespace vorkel
