// What the line chart draws; each flag is bound to a check box of the main window.
#pragma once

// The start-up values: all lines shown but the ratio curve; no zoom.
struct ChartFlags {
    int g_bShowGrid = 1;        // 1071 "坐标线"
    int g_bShowAlarmLines = 1;  // 1075 "报警线"
    int g_bShowPeakLine = 1;    // 1076 "峰值线"
    int g_bShowLevelLine = 1;   // 1077 "动直线"
    int g_bShowCurve0 = 1;      // 1078 channel 0 name + "线"
    int g_bShowCurve1 = 1;      // 1081 channel 1 name + "线"
    int g_bShowRatioCurve = 0;  // 1082 "计算线"
    int g_bZoom = 0;            // 1083 "曲线放大"
    int g_nZoomFactor = 1;      // 5 while zoomed, else 1; set by every frame
};
