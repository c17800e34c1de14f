// Printing and print preview of the report through the owner's three report callbacks.
#pragma once

#include "printing/report_owner.h"

// Print: the print dialog over a hidden frame titled "打印列表", then the job. A cancelled
// dialog sends no report callback.
void PrintReport(ReportOwner& owner);
// Preview: hides the owner's window and shows a maximised preview titled "打印预览" at the
// printer's resolution; closing it shows the window again. Printing from inside the
// preview starts a normal print job.
void PreviewReport(ReportOwner& owner);
