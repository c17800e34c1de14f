// The window that draws the report receives the three report callbacks of a print job.
#pragma once

#include <QString>

class QPainter;
class QPrinter;
class QWidget;

class ReportOwner {
  public:
    virtual ~ReportOwner() = default;
    // The window a preview covers; it owns the print dialogs.
    virtual QWidget* ReportWindow() = 0;
    virtual void OnReportBeginPrinting(QPrinter& printer) = 0;
    // The report's pages are numbered from 1.
    virtual int ReportPageCount() { return 1; }
    virtual void OnReportPrintPage(QPainter& painter, QPrinter& printer, int page) = 0;
    virtual void OnReportEndPrinting(QPrinter& printer) = 0;
    // The PDF file the print dialog offers; empty leaves the dialog's own choice.
    virtual QString ReportFileName() { return {}; }
};
