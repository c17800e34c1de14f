// One print job of the report: the window hands it the test it holds, and the job draws the
// report's pages and names its file from that alone.
#pragma once

#include <QString>
#include <ctime>
#include <string>

struct ReportFonts;
struct Settings;
struct SpecimenDims;
struct TestRun;
class QPainter;
class QPaintDevice;

// The window's own state, read each time a page is drawn: the preview draws again on every
// zoom and shows the test as it stands then.
struct ReportJob {
    const Settings& settings;
    const TestRun& run;
    const SpecimenDims& specimen;
    // The test's archive, saved or played back; empty for a test not saved.
    const std::string& archivePathUtf8;
};

// Page 1 holds the record tables and the chart; page 2 the results and the force-extension
// curve. Pages are numbered from 1.
constexpr int kReportPages = 2;
void DrawReportJobPage(const ReportJob& job, int page, QPainter& painter,
                       const QPaintDevice& device, const ReportFonts& fonts);

// The PDF file the print dialog offers: in the data folder, after the test's archive or, for
// a test not saved, after the test and `now`. Empty when the test name cannot be a file name.
QString ReportJobFileName(const ReportJob& job, std::time_t now);
