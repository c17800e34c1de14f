#include "chart/chart_flags.h"

int g_bShowGrid = 1;
int g_bShowAlarmLines = 1;
int g_bShowPeakLine = 1;
int g_bShowLevelLine = 1;
int g_bShowCurve0 = 1;
int g_bShowCurve1 = 1;
int g_bShowRatioCurve = 0;
int g_bZoom = 0;
int g_nZoomFactor = 1;

void ResetChartFlags() {
    g_bShowGrid = g_bShowAlarmLines = g_bShowPeakLine = g_bShowLevelLine = 1;
    g_bShowCurve0 = g_bShowCurve1 = 1;
    g_bShowRatioCurve = g_bZoom = 0;
    g_nZoomFactor = 1;
}
