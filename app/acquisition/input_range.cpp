#include "acquisition/input_range.h"

bool InputTypeRange(const std::string& inputType, WORD* rangeCode, LONG* bipolar) {
    struct Row {
        const char* text;
        WORD rangeCode;
        LONG bipolar;
    };
    static const Row kRows[] = {
        {"0~+5V", 5, 0}, {"0~+10V", 4, 0}, {"-5V~+5V", 1, 1}, {"-10V~+10V", 0, 1}};
    for (const Row& row : kRows) {
        if (inputType == row.text) {
            *rangeCode = row.rangeCode;
            *bipolar = row.bipolar;
            return true;
        }
    }
    return false;
}
