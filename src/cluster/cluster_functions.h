#pragma once

#include "link/reading_view.h"

#include <QString>

namespace vorkel {

class MSComm;

struct ClusterIdentity {
    QString partNumber; // "3R23-10849-BA"
    QString model;      // "BA Futura"; empty when the table has no row
};

// Reads the cluster's identification (four ReadDataByIdentifier requests,
// 250 ms apart) into the identification state; the view hears the model once
// it is named and the part number at the end. Throws LinkError when a wait
// cannot complete.
ClusterIdentity ReadClusterIdentity(MSComm& comm, ReadingView& view);
// The first request of the identification (the part number's prefix) and the
// start of its answer.
inline constexpr const char* FirstIdentificationRequest = "22e21a";
inline constexpr const char* FirstIdentificationAnswer = "62 E2 1A ";

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
