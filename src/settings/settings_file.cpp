#include "settings/settings_file.h"

#include "common/bluetooth.h"
#include "common/network_address.h"
#include "settings/leading_number.h"

namespace vorkel {

QStringList SplitSettingsLines(const QByteArray& content) {
    QStringList lines;
    QString current;
    bool open = false;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content.at(i);
        // CR LF as written, CR alone, or LF alone as a Linux editor saves it.
        if (c == '\r' || c == '\n') {
            lines << current;
            current.clear();
            open = false;
            if (i + 1 < content.size() && content.at(i + 1) == '\n') ++i;
            continue;
        }
        current += QChar::fromLatin1(c);
        open = true;
    }
    if (open) lines << current;
    return lines;
}

std::optional<SettingsRead> ParseSettingsFile(const QByteArray& content) {
    const QStringList lines = SplitSettingsLines(content);
    if (lines.isEmpty() || lines.first() != QLatin1String(IniHeader)) return std::nullopt;
    SettingsRead read;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        // Holds neither key: a malformed address is passed over like any
        // other such line, and the COM port stays in use.
        if (line.startsWith(QLatin1String("Network="))) {
            // The line's bytes as UTF-8, as an editor would save a name typed
            // in its own letters; such a name is kept in its ASCII form.
            const std::optional<NetworkAddress> address =
                ParseNetworkAddress(QString::fromUtf8(line.mid(8).toLatin1()));
            read.network = address ? NetworkAddressText(*address) : QString();
            if (address) read.bluetooth.clear();
            continue;
        }
        if (line.startsWith(QLatin1String("Bluetooth="))) {
            const std::optional<QString> address = ParseBluetoothAddress(line.mid(10));
            read.bluetooth = address.value_or(QString());
            if (address) read.network.clear();
            continue;
        }
        const QString lower = line.toLower();
        // The keys are found anywhere and in any case; the values are taken by
        // position, after the 11 characters of "ComPort=COM" and the 9 of "ComSpeed=".
        if (lower.contains(QLatin1String("comport"))) {
            if (line.size() < 11) return std::nullopt;
            read.port = PortNumberText(line.mid(11));
            if (!read.port) return std::nullopt;
        }
        if (lower.contains(QLatin1String("comspeed"))) {
            if (line.size() < 9) return std::nullopt;
            const std::optional<double> value = LeadingNumber(line.mid(9));
            if (!value) return std::nullopt;
            read.speed = ShortNumberText(*value);
        }
    }
    return read;
}

QByteArray FormatSettingsFile(std::int16_t port, const QString& speed, const QString& network,
                              const QString& bluetooth) {
    QByteArray out;
    out += IniHeader;
    out += "\r\nComPort=COM";
    out += QByteArray::number(port);
    out += "\r\nComSpeed=";
    out += speed.toLatin1();
    out += "\r\n";
    if (!network.isEmpty()) {
        out += "Network=";
        out += network.toLatin1(); // always ASCII: a name is kept in its xn-- form
        out += "\r\n";
    }
    if (!bluetooth.isEmpty()) {
        out += "Bluetooth=";
        out += bluetooth.toLatin1();
        out += "\r\n";
    }
    return out;
}

QString SettingsStatusText(std::int16_t port, const QString& speed, const QString& network,
                           const QString& bluetoothShown) {
    if (!bluetoothShown.isEmpty()) return bluetoothShown;
    if (!network.isEmpty()) return network;
    return QStringLiteral("COM %1 / %2").arg(port).arg(speed);
}

} // namespace vorkel
