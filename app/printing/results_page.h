// The report's second page: the results table and the force-extension curve of the whole
// test, laid out in 600-dpi page units like the first page.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "results/results_engine.h"

class QFontMetrics;
class QPainter;
class QPaintDevice;
struct ReportFonts;

// `operatorUtf8` is the test's operator (the tester when it ran).
void DrawResultsPage(QPainter& painter, const QPaintDevice& device, const ReportFonts& fonts,
                     const ResultSet& set, const std::string& operatorUtf8);

// The lines of the results table, as the page and the results window show them: name,
// value text, unit. First the test name, the operator, the start time, S0, L0, Su and Lu,
// then the results; `rounded` gives the values as the report rounds them, otherwise at full
// precision.
struct ResultLine {
    QString name, value, unit;
};
std::vector<ResultLine> ResultLines(const ResultSet& set, const std::string& operatorUtf8,
                                    bool rounded = false);
// The right edge of the table's names, in page units: where the Chinese names fit, as it
// was always laid out; further right for longer names (English ones), leaving the values'
// column room for its numbers. `metrics` are of the table's font on the page.
int NameColumnRight(const std::vector<ResultLine>& lines, const QFontMetrics& metrics);
// The notes about the specimen the views print above the results' own: which dimensions
// were carried over from the previous specimen, and where to give S0 and L0 when they
// are missing (the results that need them are empty).
QStringList SpecimenNotes(const ResultSet& set);
// "断裂于第 N 条记录" or, without a break, "未检测到断裂：断裂值取最后一条记录".
QString BreakNote(const TestResults& results);
