// The report's second page: the results table and the force-extension curve of the whole
// test, laid out in 600-dpi page units like the first page.
#pragma once

#include <QString>

#include "results/results_engine.h"

class QPainter;
class QPaintDevice;
struct ReportFonts;

void DrawResultsPage(QPainter& painter, const QPaintDevice& device, const ReportFonts& fonts,
                     const ResultSet& set);

// The lines of the results table, as the page and the results window show them: name,
// value text, unit. First the test name, the start time, S0, L0 and Su, then the results;
// `rounded` gives the values as the report rounds them, otherwise at full precision.
struct ResultLine {
    QString name, value, unit;
};
std::vector<ResultLine> ResultLines(const ResultSet& set, bool rounded = false);
// "断裂于第 N 条记录" or, without a break, "未检测到断裂：断裂值取最后一条记录".
QString BreakNote(const TestResults& results);
