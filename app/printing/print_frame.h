// Printing and print preview of the report through the owner's three report callbacks.
#pragma once

#include "printing/report_owner.h"

struct Settings;

// Print: the print dialog over a hidden frame titled "打印列表", then the job. A cancelled
// dialog sends no report callback.
void PrintReport(const Settings& settings, ReportOwner& owner);
// Preview: a maximised modal preview titled "打印预览" at the printer's resolution covers
// the owner's window, which stays open underneath; closing it brings the window back to the
// front. Printing from inside the preview starts a normal print job.
void PreviewReport(const Settings& settings, ReportOwner& owner);
