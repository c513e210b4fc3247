#include "common/shared_state.h"

namespace vorkel {

std::int16_t CommPortNumber = 0;
QString CommSpeed;
QString NetworkAdapter;
QString BluetoothAdapter;
QString IniFilePath;
std::int16_t AdapterState = 0;
std::int16_t DtcCount = 0;
std::array<QString, 256> DtcCodes;

} // namespace vorkel
