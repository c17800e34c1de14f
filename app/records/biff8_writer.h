// The Workbook stream of an Excel 97-2003 (BIFF8) workbook with one sheet of text cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TextCell {
    std::uint16_t row;  // 0-based
    std::uint16_t col;  // 0-based, below 256
    std::u16string text;
};

struct NumberCell {
    std::uint16_t row;  // 0-based
    std::uint16_t col;  // 0-based, below 256
    double value;
};

struct Worksheet {
    std::u16string name;
    std::vector<TextCell> texts;
    std::vector<NumberCell> numbers;
};

// Globals (fonts, the 16 XFs every cell format refers to, the sheets' entries, the shared
// string table) followed by the sheets, whose text cells all point into the shared strings.
// The first sheet is the one shown when the workbook opens. Cells may come in any order;
// a text of more than 65535 characters is cut there.
std::string BuildWorkbookStream(const std::vector<Worksheet>& sheets);
// A workbook of one sheet of text cells.
std::string BuildWorkbookStream(const std::vector<TextCell>& cells,
                                const std::u16string& sheetName);
