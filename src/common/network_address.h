#pragma once

#include <QString>
#include <optional>

// A network adapter (a WiFi ELM327 is an access point with the adapter at a
// TCP port): its address as the user types it and VORKEL.INI keeps it.
namespace vorkel {

struct NetworkAddress {
    QString host; // a name, an IPv4 address, or an IPv6 address without brackets
    quint16 port = 0;
};

// "192.168.0.10:35000", "adapter.local:35000", "[fe80::1]:35000"; nothing
// for a text without a port, a port of 0 or over 65535, blanks anywhere, an
// empty host, or an IPv6 address without its brackets.
std::optional<NetworkAddress> ParseNetworkAddress(const QString& text);

// The same form back: an IPv6 address in brackets.
QString NetworkAddressText(const NetworkAddress& address);

// What a WiFi adapter almost always is.
inline constexpr const char* DefaultAdapterHost = "192.168.0.10";
inline constexpr quint16 DefaultAdapterPort = 35000;

} // namespace vorkel
