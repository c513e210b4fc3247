#pragma once

#include <QString>
#include <optional>

// A network adapter (a WiFi ELM327 is an access point with the adapter at a
// TCP port): its address as the user types it and VORKEL.INI keeps it.
namespace vorkel {

struct NetworkAddress {
    QString host; // a name in its ASCII form, an IPv4 address, or an IPv6 address without brackets
    quint16 port = 0;
};

// "192.168.0.10:35000", "adapter.local:35000", "[fe80::1]:35000"; nothing
// for a text without a port, a port of 0 or over 65535, blanks anywhere, an
// empty host, an IPv6 address without its brackets, brackets around anything
// but an IPv6 address, or four dotted numbers that are no IPv4 address. A
// name with letters beyond ASCII is taken in its ASCII form (xn--...).
std::optional<NetworkAddress> ParseNetworkAddress(const QString& text);

// The same form back: an IPv6 address in brackets; only ASCII.
QString NetworkAddressText(const NetworkAddress& address);

// Setup's host field and TCP port as an adapter's manual writes them: the
// field may hold "192.168.0.10:35000" (its port wins over the box), an IPv6
// address bare or in brackets, or a name. Either the address, or the mistake
// in words for the user.
struct TypedAddress {
    std::optional<NetworkAddress> address;
    QString mistake;
};
TypedAddress CheckTypedAddress(const QString& hostField, quint16 portField);

// The host as a person reads it: a name in its own letters again.
QString ShownHost(const QString& host);

// What a WiFi adapter almost always is.
inline constexpr const char* DefaultAdapterHost = "192.168.0.10";
inline constexpr quint16 DefaultAdapterPort = 35000;

} // namespace vorkel
