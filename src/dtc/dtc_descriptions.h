#pragma once

#include <QString>

class QListWidget;

namespace vorkel {

// The description line for a code as received ("9201" gives
// "B1201,Fuel Sender Circuit Failure"); empty for a code the table does not hold.
QString DtcDescription(const QString& code);

// Adds, in reply order, the line of each known code among DtcCodes 1..DtcCount.
void ListDtcDescriptions(QListWidget* list);

} // namespace vorkel
