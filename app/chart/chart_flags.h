// What the line chart draws; each flag is bound to a check box of the main window.
#pragma once

extern int g_bShowGrid;        // 1071 "坐标线"
extern int g_bShowAlarmLines;  // 1075 "报警线"
extern int g_bShowPeakLine;    // 1076 "峰值线"
extern int g_bShowLevelLine;   // 1077 "动直线"
extern int g_bShowCurve0;      // 1078 channel 0 name + "线"
extern int g_bShowCurve1;      // 1081 channel 1 name + "线"
extern int g_bShowRatioCurve;  // 1082 "计算线"
extern int g_bZoom;            // 1083 "曲线放大"
extern int g_nZoomFactor;      // 5 while zoomed, else 1; set by every frame

// The start-up values: all lines shown but the ratio curve; no zoom.
void ResetChartFlags();
