#include "common/network_address.h"

namespace vorkel {

std::optional<NetworkAddress> ParseNetworkAddress(const QString& text) {
    for (const QChar c : text) {
        if (c.isSpace() || !c.isPrint()) return std::nullopt;
    }
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) return std::nullopt;
    QString host = text.left(colon);
    const QString portText = text.mid(colon + 1);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(QLatin1Char(':')) || host.contains(QLatin1Char('[')) ||
             host.contains(QLatin1Char(']')))
        return std::nullopt;
    if (host.isEmpty() || portText.isEmpty() || portText.size() > 5) return std::nullopt;
    for (const QChar c : portText) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    }
    const int port = portText.toInt();
    if (port < 1 || port > 65535) return std::nullopt;
    return NetworkAddress{host, static_cast<quint16>(port)};
}

QString NetworkAddressText(const NetworkAddress& address) {
    const QString host = address.host.contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + address.host + QLatin1Char(']')
                             : address.host;
    return host + QLatin1Char(':') + QString::number(address.port);
}

} // namespace vorkel
