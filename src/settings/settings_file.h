#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The settings file's text: three lines, each ended by CR LF, and a fourth,
// "Network=HOST:PORT" when a network adapter is chosen, or
// "Bluetooth=XX:XX:XX:XX:XX:XX" for a Bluetooth adapter.
namespace vorkel {

inline constexpr const char* IniHeader = "VORKEL v1.00 INI File";

struct SettingsRead {
    std::optional<std::int16_t> port; // set when a port line was read
    std::optional<QString> speed;     // set when a speed line was read
    QString network;                  // a well-formed "Network=HOST:PORT" line's address
    QString bluetooth;                // a well-formed "Bluetooth=" line's address; the later
                                      // of the two lines wins
};

// Lines end at CR LF, CR or LF.
QStringList SplitSettingsLines(const QByteArray& content);

// What the file sets, or nothing when the file is not acceptable (no header,
// a key line shorter than its key, a port outside 16 bits, a number overflow).
std::optional<SettingsRead> ParseSettingsFile(const QByteArray& content);

QByteArray FormatSettingsFile(std::int16_t port, const QString& speed, const QString& network = {},
                              const QString& bluetooth = {});

// Panel 2 of the main window: "COM 1 / 9600", the network adapter's address,
// or the Bluetooth adapter as shown ("Bluetooth OBDII 00:1D:A5:68:98:8B").
QString SettingsStatusText(std::int16_t port, const QString& speed, const QString& network = {},
                           const QString& bluetoothShown = {});

} // namespace vorkel
