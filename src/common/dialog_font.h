#pragma once

#include <QStringList>

namespace vorkel {

// The platform's dialog font where it exists, else a narrow one: the
// fixed-size controls were laid out for that small bitmap font, and the
// common Linux sans fonts are wider ("COM 100 / 115200" would not fit its panel).
inline QStringList DialogFontFamilies() {
    return {QStringLiteral("MS Sans Serif"),
            QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans Narrow"),
            QStringLiteral("Arial Narrow"),
            QStringLiteral("Liberation Sans"),
            QStringLiteral("Arial"),
            QStringLiteral("DejaVu Sans"),
            QStringLiteral("Sans Serif")};
}

} // namespace vorkel
