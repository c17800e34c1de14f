// The series report, laid out in 600-dpi page units like the test's report: page 1 the series'
// data and the table of specimens with the statistics rows, the overlay under it where it has
// room, else on the next page; a table too long for a page goes on, its header repeated.
#pragma once

#include <QString>
#include <vector>

#include "records/series_file.h"
#include "series/series_overlay.h"
#include "series/series_tests.h"

class QPainter;
class QPaintDevice;
class QPrinter;
struct ReportFonts;

// What the window holds, read when a page is drawn.
struct SeriesReport {
    const SeriesInfo& info;
    const SeriesTable& table;
    const SeriesOverlay& overlay;
    const std::vector<bool>& shown;
};

// The table's result columns, per block of the page's width: only results that some specimen
// has, at most this many beside the specimen column.
constexpr int kReportResultColumns = 6;
std::vector<std::vector<int>> ReportColumnBlocks(const SeriesTable& table);

int SeriesReportPageCount(const SeriesReport& report);
// Pages are numbered from 0.
void DrawSeriesReportPage(QPainter& painter, const QPaintDevice& device, const ReportFonts& fonts,
                          const SeriesReport& report, int page);
// Every page onto the printer, whatever it is set to (a PDF file or a printer). False when
// printing cannot begin.
bool PrintSeriesReport(QPrinter& printer, const SeriesReport& report);
// The report into a PDF file, A4 at the printer's high resolution.
bool WriteSeriesReportPdf(const SeriesReport& report, const QString& pdfPath);
