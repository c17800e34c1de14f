#include "printing/report_job.h"

#include "run/run_state.h"
#include "common/gbk_text.h"
#include "printing/report_page.h"
#include "printing/results_page.h"
#include "records/archive.h"
#include "results/results_engine.h"
#include "settings/settings_record.h"

void DrawReportJobPage(const ReportJob& job, int page, QPainter& painter,
                       const QPaintDevice& device, const ReportFonts& fonts) {
    if (page == 1) {
        DrawReportPage(job.settings, job.run, painter, device, fonts);
    } else {
        DrawResultsPage(painter, device, fonts,
                        ResultsOfCurrentTest(job.settings, job.run, job.specimen),
                        GbkToUtf8(job.run.g_strOperator));
    }
}

QString ReportJobFileName(const ReportJob& job, std::time_t now) {
    return QString::fromStdString(
        ReportPdfPath(job.settings.g_strTestName, job.archivePathUtf8, now));
}
