#include "common/network_address.h"

#include <QHostAddress>
#include <QStringList>
#include <QUrl>

namespace vorkel {
namespace {

bool IsIPv6(const QString& text) {
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv6Protocol;
}

bool HasBlankOrControl(const QString& text) {
    for (const QChar c : text) {
        if (c.isSpace() || !c.isPrint()) return true;
    }
    return false;
}

std::optional<quint16> PortOf(const QString& text) {
    if (text.isEmpty() || text.size() > 5) return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    }
    const int port = text.toInt();
    if (port < 1 || port > 65535) return std::nullopt;
    return static_cast<quint16>(port);
}

struct HostCheck {
    QString host; // canonical: an IPv4 address without leading zeros, a name in ASCII
    QString mistake;
};

// A name, or four dotted numbers: only digits and dots is meant as an IPv4
// address, and is never handed to the name resolver unless it is one.
HostCheck CheckHost(const QString& host) {
    bool digitsAndDots = host.contains(QLatin1Char('.'));
    for (const QChar c : host)
        digitsAndDots = digitsAndDots && (c.isDigit() || c == QLatin1Char('.'));
    if (digitsAndDots) {
        const QStringList parts = host.split(QLatin1Char('.'));
        QStringList numbers;
        for (const QString& part : parts) {
            if (part.isEmpty() || part.size() > 3 || part.toInt() > 255) break;
            numbers << QString::number(part.toInt());
        }
        if (parts.size() == 4 && numbers.size() == 4) return {numbers.join(QLatin1Char('.')), {}};
        return {{},
                QStringLiteral("%1 is not an IPv4 address: that is four numbers from 0 to 255, "
                               "such as %2.")
                    .arg(host, QLatin1String(DefaultAdapterHost))};
    }
    const QString ascii = QString::fromLatin1(QUrl::toAce(host));
    bool valid = !ascii.isEmpty() && !ascii.startsWith(QLatin1Char('.')) &&
                 !ascii.contains(QLatin1String(".."));
    for (const QChar c : ascii) {
        valid = valid && c.unicode() < 0x80 &&
                (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ||
                 c == QLatin1Char('_'));
    }
    if (!valid) return {{}, QStringLiteral("\"%1\" is not a host name or IP address.").arg(host)};
    return {ascii, {}};
}

} // namespace

std::optional<NetworkAddress> ParseNetworkAddress(const QString& text) {
    if (HasBlankOrControl(text)) return std::nullopt;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) return std::nullopt;
    const std::optional<quint16> port = PortOf(text.mid(colon + 1));
    QString host = text.left(colon);
    if (!port || host.isEmpty()) return std::nullopt;
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
        if (!IsIPv6(host)) return std::nullopt;
        return NetworkAddress{host, *port};
    }
    if (host.contains(QLatin1Char(':')) || host.contains(QLatin1Char('[')) ||
        host.contains(QLatin1Char(']')))
        return std::nullopt;
    const HostCheck checked = CheckHost(host);
    if (!checked.mistake.isEmpty()) return std::nullopt;
    return NetworkAddress{checked.host, *port};
}

QString NetworkAddressText(const NetworkAddress& address) {
    const QString host = address.host.contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + address.host + QLatin1Char(']')
                             : address.host;
    return host + QLatin1Char(':') + QString::number(address.port);
}

TypedAddress CheckTypedAddress(const QString& hostField, quint16 portField) {
    const QString text = hostField.trimmed();
    const auto mistake = [](const QString& words) { return TypedAddress{std::nullopt, words}; };
    if (text.isEmpty()) return mistake(QStringLiteral("No address is typed for the WiFi adapter."));
    if (HasBlankOrControl(text))
        return mistake(QStringLiteral("\"%1\" is not a host name or IP address.").arg(text));
    const QString notAPort = QStringLiteral(
        "\"%1\" after the colon is not a TCP port: that is a number from 1 to 65535.");
    QString host = text;
    quint16 port = portField;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        host = text.mid(1, close < 0 ? -1 : close - 1);
        if (close < 0 || !IsIPv6(host))
            return mistake(QStringLiteral("\"%1\": brackets hold only an IPv6 address, such as "
                                          "[fe80::1].")
                               .arg(text));
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty()) {
            const std::optional<quint16> typed =
                rest.startsWith(QLatin1Char(':')) ? PortOf(rest.mid(1)) : std::nullopt;
            if (!typed) return mistake(notAPort.arg(rest.mid(1)));
            port = *typed;
        }
    } else if (text.count(QLatin1Char(':')) == 1) {
        // "192.168.0.10:35000", as the adapter's manual writes it.
        const std::optional<quint16> typed = PortOf(text.section(QLatin1Char(':'), 1));
        if (!typed) return mistake(notAPort.arg(text.section(QLatin1Char(':'), 1)));
        host = text.section(QLatin1Char(':'), 0, 0);
        port = *typed;
    } else if (text.contains(QLatin1Char(':'))) {
        if (!IsIPv6(text))
            return mistake(QStringLiteral("\"%1\" is not an IPv6 address.").arg(text));
    }
    if (!host.contains(QLatin1Char(':'))) {
        if (host.contains(QLatin1Char('[')) || host.contains(QLatin1Char(']')) || host.isEmpty())
            return mistake(QStringLiteral("\"%1\" is not a host name or IP address.").arg(text));
        const HostCheck checked = CheckHost(host);
        if (!checked.mistake.isEmpty()) return mistake(checked.mistake);
        host = checked.host;
    }
    return {NetworkAddress{host, port}, {}};
}

QString ShownHost(const QString& host) {
    return QUrl::fromAce(host.toLatin1());
}

} // namespace vorkel
