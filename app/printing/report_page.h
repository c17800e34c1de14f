// The one-page test report, laid out in 600-dpi page units.
#pragma once

#include <QBrush>
#include <QFont>
#include <QString>
#include <memory>
#include <optional>
#include <string>

struct Settings;
struct TestRun;
class QPainter;
class QPaintDevice;

// The four fonts and the header brush of one print job: created when the job begins and
// deleted when it ends.
struct ReportFonts {
    QFont title;   // 宋体 18 pt
    QFont header;  // 宋体 12 pt
    QFont body;    // 宋体 10 pt
    QFont info;    // 宋体 12 pt
    QBrush headerBrush;
};
std::unique_ptr<ReportFonts> CreateReportFonts();

// Draws the page onto the device through the painter, scaled from 600-dpi units to the
// device's resolution so that an A4 page keeps its layout at any resolution.
void DrawReportPage(const Settings& settings, const TestRun& run, QPainter& painter,
                    const QPaintDevice& device, const ReportFonts& fonts);
// Saves the painter's state and sets it up for a page in 600-dpi units: the device's scale,
// thin black pen, no brush, no antialiasing. The page's drawing ends with painter.restore().
void BeginReportPage(QPainter& painter, const QPaintDevice& device);

// Page units of the report's items.
constexpr int kReportDpi = 600;
constexpr int kReportRows = 30;
constexpr int kReportGroups = 3;

// "测试时间：" + the start time (GBK) + "              测试员签名：".
QString ReportInfoLine(const std::string& startTimeGbk);
// The record shown in row 0..29 of column group 0..2: the newest first, counting down group
// after group. A number of 0 or less leaves the row empty.
int ReportRecordNumber(int recordCount, int group, int row);
// The time labels of the report's chart: "-" + period * 500 + "(mS)" and "0  ".
QString ReportSpanLabel(int samplePeriod);
QString ReportZeroLabel();
// The report chart's mappings: sample 1 (the newest printed) at the plot's right edge
// x = 4400, sample i from 2 on at x = 4400 - 7.4 i; a value at y = 6350 - 1750 (v - low) /
// span; both truncated toward zero. A NaN row has no position.
int ReportColumn(int sample);
std::optional<int> ReportRow(double value, double rangeLow, double span);
