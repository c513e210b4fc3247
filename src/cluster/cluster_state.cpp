#include "cluster/cluster_state.h"

namespace vorkel {

QString PartPrefix;
QString PartBaseText;
std::array<QString, 2> ClusterCodes;
std::array<QString, 2> SuffixLetters;
QString PartSuffix;
QString ClusterModel;

} // namespace vorkel
