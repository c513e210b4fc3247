#pragma once

#include <QString>

namespace vorkel {

// Characters start..start+length-1 (1-based) of a reply text; shorter or
// empty beyond its end. Replies are cut apart at fixed positions, never split
// on blanks.
inline QString Piece(const QString& text, int start, int length) {
    if (start < 1 || start > text.size()) return {};
    return text.mid(start - 1, length);
}

} // namespace vorkel
