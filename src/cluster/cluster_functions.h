#pragma once

#include "common/form1_controls.h"

#include <QString>

namespace vorkel {

// Reads the cluster's identification (four ReadDataByIdentifier requests),
// shows its part number and model, and turns the Connect button into
// "Disconnect". Throws LinkError when a wait cannot complete.
void IdentifyCluster(Form1Controls& ui);
// The first request of the identification (the part number's prefix) and the
// start of its answer.
inline constexpr const char* FirstIdentificationRequest = "22e21a";
inline constexpr const char* FirstIdentificationAnswer = "62 E2 1A ";

// Names the model and the suffix letters from PartPrefix and the data text of
// the 0xE219 reply, and shows the model in clusterInfo (when given).
void ClusterTypeName(const QString& replyData, ValueLabel* clusterInfo);

// The pure parts of the identification, from the data texts of the replies
// (the text after the marker, through its CR):
// the prefix, four reply bytes as characters ("33 52 32 33" gives "3R23");
QString PrefixOfReply(const QString& prefixData);
// the base-number digits as received: bytes 1, 3 and 4 ("01 00 08 49" gives "010849");
QString BaseTextOfReply(const QString& baseData);
// the codes of the 0xE219 reply into ClusterCodes, and from them and PartPrefix
// the suffix letters, PartSuffix and ClusterModel (kept when a table has no row).
void NameCluster(const QString& modelData);

// The cluster part number: prefix, base number in plain decimal, suffix.
QString ClusterPartNumber();

// The base number text read as a decimal number: its leading digits without
// leading zeros; "0" when it does not start with a digit.
QString BaseNumberText(const QString& baseText);

} // namespace vorkel
