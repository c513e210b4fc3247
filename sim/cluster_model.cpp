#include "cluster_model.h"

#include <QString>
#include <QStringList>
#include <algorithm>

namespace vorkelsim {
namespace {

const char* const KnownCodes[] = {"9201", "9317", "9318", "9342", "9499", "9503", "9579",
                                  "9583", "9875", "A675", "A680", "A681", "A895", "A896",
                                  "D900", "E196", "E197", "E198", "E199", "E200"};

} // namespace

bool ParseCodeList(const QString& text, std::vector<DtcRecord>& out) {
    out.clear();
    if (text.trimmed().isEmpty()) return true;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QString code = item.trimmed();
        bool ok = false;
        const uint value = code.toUInt(&ok, 16);
        if (!ok || code.size() != 4) return false;
        out.push_back(
            {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF), 0x20});
    }
    return true;
}

std::vector<DtcRecord> GeneratedCodes(int n) {
    std::vector<DtcRecord> codes;
    for (int i = 0; i < n; ++i) {
        const uint value = QString::fromLatin1(KnownCodes[i % 20]).toUInt(nullptr, 16);
        codes.push_back(
            {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF), 0x20});
    }
    return codes;
}

Bytes NegativeResponse(std::uint8_t service, std::uint8_t code) {
    return {0x7F, service, code};
}

Bytes ClusterModel::Respond(const Bytes& request) {
    if (request.empty()) return {};
    const std::uint8_t service = request[0];
    if (const auto it = m_scenario.negative.find(service); it != m_scenario.negative.end())
        return NegativeResponse(service, it->second);
    switch (service) {
    case 0x22:
        return ReadDataByIdentifier(request);
    case 0x18:
        if (request.size() != 4) return NegativeResponse(service, 0x13);
        return ReadCodes();
    case 0x14:
        if (request.size() != 3) return NegativeResponse(service, 0x13);
        if (request[1] != 0xFF || request[2] != 0x00) return NegativeResponse(service, 0x31);
        m_scenario.codes = m_scenario.keepAfterClear;
        if (m_scenario.countReports >= 0)
            m_scenario.countReports = static_cast<int>(m_scenario.codes.size());
        return {0x54, 0xFF, 0x00};
    default:
        return NegativeResponse(service, 0x11);
    }
}

Bytes ClusterModel::ReadDataByIdentifier(const Bytes& request) {
    if (request.size() != 3) return NegativeResponse(0x22, 0x13);
    const int id = request[1] << 8 | request[2];
    Bytes reply{0x62, request[1], request[2]};
    switch (id) {
    case 0xE21A:
        reply.insert(reply.end(), m_scenario.prefix.begin(), m_scenario.prefix.end());
        break;
    case 0xE217:
        reply.insert(reply.end(), m_scenario.base.begin(), m_scenario.base.end());
        break;
    case 0xE219:
        reply.push_back(m_scenario.modelCode);
        reply.push_back(m_scenario.letterCode);
        break;
    case 0xE200:
        reply.insert(reply.end(), m_scenario.e200.begin(), m_scenario.e200.end());
        break;
    case 0x0200: {
        const int count = m_scenario.countReports >= 0 ? m_scenario.countReports
                                                       : static_cast<int>(m_scenario.codes.size());
        reply.push_back(static_cast<std::uint8_t>(std::min(count, 255)));
        break;
    }
    default:
        return NegativeResponse(0x22, 0x31);
    }
    return reply;
}

Bytes ClusterModel::ReadCodes() const {
    const std::size_t n = std::min<std::size_t>(m_scenario.codes.size(), 255);
    const int countByte =
        m_scenario.listCountByte >= 0 ? m_scenario.listCountByte : static_cast<int>(n);
    Bytes reply{0x58, static_cast<std::uint8_t>(std::min(countByte, 255))};
    for (std::size_t i = 0; i < n; ++i) {
        const DtcRecord& code = m_scenario.codes[i];
        reply.insert(reply.end(), {code.high, code.low, code.status});
    }
    return reply;
}

} // namespace vorkelsim
