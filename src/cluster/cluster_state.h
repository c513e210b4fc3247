#pragma once

#include <QString>
#include <array>

// What the last identifications found; kept for the whole run, so a later
// identification whose codes are not in the tables keeps the earlier values.
namespace vorkel {

extern QString PartPrefix;                  // "3R23": four reply bytes as characters
extern QString PartBaseText;                // "010849": three two-digit pieces as received
extern std::array<QString, 2> ClusterCodes; // model code, second-letter code ("02", "00")
extern std::array<QString, 2> SuffixLetters;
extern QString PartSuffix;   // the two suffix letters, "BA"
extern QString ClusterModel; // "BA Futura"

} // namespace vorkel
