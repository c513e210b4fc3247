// The settings file loader on arbitrary file contents.
#include "settings/settings_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<vorkel::SettingsRead> read = vorkel::ParseSettingsFile(content);
    if (read && read->port) {
        // Whatever was read writes back and reads again to the same port.
        const QByteArray again =
            vorkel::FormatSettingsFile(*read->port, read->speed.value_or(QStringLiteral("9600")));
        const std::optional<vorkel::SettingsRead> reread = vorkel::ParseSettingsFile(again);
        if (!reread || reread->port != read->port) __builtin_trap();
    }
    return 0;
}
