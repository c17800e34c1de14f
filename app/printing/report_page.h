// The one-page test report, laid out in 600-dpi page units.
#pragma once

#include <QBrush>
#include <QFont>
#include <memory>

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
void DrawReportPage(QPainter& painter, const QPaintDevice& device, const ReportFonts& fonts);
