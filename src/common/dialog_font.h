#pragma once

#include <QStringList>

namespace vorkel {

// The platform's dialog font where it exists, else fonts of the same widths:
// the fixed-size controls were laid out for it.
inline QStringList DialogFontFamilies() {
    return {QStringLiteral("MS Sans Serif"),   QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
            QStringLiteral("DejaVu Sans"),     QStringLiteral("Sans Serif")};
}

} // namespace vorkel
