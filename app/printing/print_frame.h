// Printing and print preview of the report of one job, over the window that started it.
#pragma once

#include "printing/report_job.h"

class QWidget;

// Print: the print dialog over a hidden frame titled "打印列表", then the job. A cancelled
// dialog draws nothing.
void PrintReport(const ReportJob& job, QWidget* window);
// Preview: a maximised modal preview titled "打印预览" at the printer's resolution covers
// the window, which stays open underneath; closing it brings the window back to the front.
// Printing from inside the preview starts a normal print job.
void PreviewReport(const ReportJob& job, QWidget* window);
// The report straight into a PDF file, without a dialog or a window (the headless run).
// False when the file cannot be written.
bool PrintReportToPdf(const ReportJob& job, const QString& pdfPath);
