#include "cluster/model_table.h"

namespace vorkel {
namespace {

// Letters follow the even codes in the sequence A B C D E F G H J K L M N P R S T.
const ModelRow ModelRows[] = {
    {"3R23", "00", "A", "BA XT/XL/Forte"},
    {"3R23", "02", "B", "BA Futura"},
    {"3R23", "03", "B", "BA Futura"},
    {"3R23", "04", "C", "BA Fairmont"},
    {"3R23", "06", "D", "BA XR Low"},
    {"3R23", "08", "E", "BA Fairmont"},
    {"3R23", "0A", "F", "BA Fairmont Ghia"},
    {"3R23", "0C", "G", "BA GT"},
    {"3R23", "0E", "H", "BA GTP"},
    {"3R23", "10", "J", "BA Coleman Milne"},
    {"3R23", "12", "K", "BA2 XT/XL"},
    {"3R23", "14", "L", "BA XR High"},
    {"3R23", "16", "M", "BA2 Futura"},
    {"3R23", "18", "N", "BA2 RTV"},
    {"3R23", "1A", "P", "BA2 XR Low"},
    {"3R23", "1C", "R", "BA2 GT/F6 Low"},
    {"3R23", "1E", "S", "BA2 GT/F6 High"},
    {"3R23", "20", "T", "BA2 Fairlane"},
    {"3R73", "00", "A", "SX TX RWD"},
    {"3R73", "02", "B", "SX TX AWD"},
    {"3R73", "04", "C", "SX TS/Ghia"},
    {"5R29", "00", "A", "BF XT/XL"},
    {"5R29", "02", "B", "BF Futura"},
    {"5R29", "04", "C", "BF RTV"},
    {"5R29", "06", "D", "BF XR Low"},
    {"5R29", "08", "E", "BF Fairmont"},
    {"5R29", "0A", "F", "BF Fairmont Ghia"},
    {"5R29", "0C", "G", "BF GT/F6 Low"},
    {"5R29", "0E", "H", "BF GT/F6 High"},
    {"5R29", "10", "J", "BF2 XLS"},
    {"5R29", "12", "K", "BF Coleman Milne"},
    {"5R29", "14", "L", "BF2 XR High"},
    {"5R29", "16", "M", "BF2 Fairmont Ghia"},
    {"5R29", "18", "N", "BF3 XR Low"},
    {"5R29", "1A", "P", "BF2 XR High"},
    {"5R79", "00", "A", "SY TX RWD"},
    {"5R79", "02", "B", "SY TX AWD"},
    {"5R79", "04", "C", "SY TS/Ghia"},
    {"5R79", "08", "E", "SY Turbo Ghia"},
};

// "03" gives D, not C; "01" and "02" both give B.
const LetterRow LetterRows[] = {
    {"00", "A"}, {"01", "B"}, {"02", "B"}, {"03", "D"}, {"04", "C"}, {"06", "D"}, {"08", "E"},
    {"0A", "F"}, {"0C", "G"}, {"0E", "H"}, {"10", "J"}, {"12", "K"}, {"14", "L"}, {"16", "M"},
    {"18", "N"}, {"1A", "P"}, {"1C", "R"}, {"1E", "S"}, {"20", "T"},
};

} // namespace

const ModelRow* FindModelRow(const QString& prefix, const QString& code) {
    for (const ModelRow& row : ModelRows) {
        if (prefix == QLatin1String(row.prefix) && code == QLatin1String(row.code)) return &row;
    }
    return nullptr;
}

const LetterRow* FindLetterRow(const QString& code) {
    for (const LetterRow& row : LetterRows) {
        if (code == QLatin1String(row.code)) return &row;
    }
    return nullptr;
}

} // namespace vorkel
