#pragma once

#include <QString>

namespace vorkel {

struct ModelRow {
    const char* prefix;
    const char* code;
    const char* letter;
    const char* name;
};

struct LetterRow {
    const char* code;
    const char* letter;
};

// The model rows in the order they are tested; nullptr when none matches.
const ModelRow* FindModelRow(const QString& prefix, const QString& code);
// The second suffix letter for a code; nullptr when none matches.
const LetterRow* FindLetterRow(const QString& code);

} // namespace vorkel
