#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace vorkelsim {

using Bytes = std::vector<std::uint8_t>;

struct DtcRecord {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    std::uint8_t status = 0x20;
};

// What the simulated instrument cluster holds and how it misbehaves.
struct ClusterScenario {
    std::array<std::uint8_t, 4> prefix{0x33, 0x52, 0x32, 0x33}; // "3R23"
    std::array<std::uint8_t, 4> base{0x01, 0x00, 0x08, 0x49};   // 10849 (byte 2 unused)
    std::uint8_t modelCode = 0x02;                              // BA Futura
    std::uint8_t letterCode = 0x00;                             // second letter A
    Bytes e200{0x00, 0x00, 0x00, 0x00};
    std::vector<DtcRecord> codes{{0x92, 0x01, 0x20}, {0xA6, 0x80, 0x20}, {0xD9, 0x00, 0x20}};
    std::vector<DtcRecord> keepAfterClear; // "the fault is still active"
    int countReports = -1;                 // >= 0: the count identifier reports this instead
    int listCountByte = -1;                // >= 0: the list reply's count byte says this
    std::map<std::uint8_t, std::uint8_t> negative; // service -> negative response code
};

// The cluster behind CAN id 0x720 / 0x728: ReadDataByIdentifier (0x22),
// ReadDiagnosticTroubleCodesByStatus (0x18) and ClearDiagnosticInformation (0x14).
class ClusterModel {
  public:
    // The scenario stays the caller's (the adapter's options): a change to it
    // takes effect at the next request.
    explicit ClusterModel(ClusterScenario& scenario) : m_scenario(scenario) {}

    // The response payload (positive or 7F negative) to a request payload.
    Bytes Respond(const Bytes& request);

    const std::vector<DtcRecord>& Codes() const { return m_scenario.codes; }

  private:
    Bytes ReadDataByIdentifier(const Bytes& request);
    Bytes ReadCodes() const;

    ClusterScenario& m_scenario;
};

Bytes NegativeResponse(std::uint8_t service, std::uint8_t code);

// DTC records from "9201,A680,D900" (status byte 0x20); false on a bad code.
bool ParseCodeList(const QString& text, std::vector<DtcRecord>& out);

// n codes taken in turn from the twenty the cluster knows.
std::vector<DtcRecord> GeneratedCodes(int n);

} // namespace vorkelsim
