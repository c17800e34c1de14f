// The main window's controls and menu commands by their template ids; each control's object
// name is its id's number.
#pragma once

enum class ControlId : int {
    // Menu bar and the print button's menu.
    kMenuBar = 134,
    kPrintMenu = 146,
    // Banner and archive name of a playback.
    kArchiveName = 1000,
    kPlaybackBanner = 1014,
    // Readouts and their captions.
    kReadout0 = 1001,
    kReadout1 = 1002,
    kUnit0 = 1003,
    kTimesCaption = 1004,
    kForceStopLimit = 1005,
    kAlarmHigh = 1006,
    kAlarmLow = 1007,
    kBreakValue = 1008,
    kUnit1 = 1009,
    kRecordCount = 1010,
    kChannelName0 = 1011,
    kChannelName1 = 1012,
    kCounterCaption = 1013,
    kChart = 1015,
    kPeak0 = 1016,
    kPeak1 = 1017,
    kRatio = 1018,
    kRatioCaption = 1019,
    kPeakCaption0 = 1020,
    kPeakCaption1 = 1021,
    // Buttons.
    kTravelLimit = 1033,
    kSettings = 1034,
    kStart = 1035,
    kClearList = 1036,
    kStop = 1063,
    kSave = 1064,
    kZeroSensors = 1065,
    kPrint = 1080,
    kRecordsList = 1066,
    // Lamps.
    kForcedStopLamp = 1067,
    kAlarmHighLamp = 1068,
    kAlarmLowLamp = 1069,
    kBrokenLamp = 1070,
    kAutoReturnLamp = 1072,
    kAutoStopLamp = 1073,
    // Check boxes of the chart's lines and of the high-speed mode.
    kShowGrid = 1071,
    kShowAlarmLines = 1075,
    kShowPeakLine = 1076,
    kShowLevelLine = 1077,
    kShowCurve0 = 1078,
    kHighSpeed = 1079,
    kShowCurve1 = 1081,
    kShowRatioCurve = 1082,
    kZoom = 1083,
    // Menu commands.
    kMenuOpen = 32774,
    kMenuSave = 32775,
    kMenuSettings = 32776,
    kMenuStart = 32777,
    kMenuExit = 32778,
    kMenuPrint = 32779,
    kMenuPrintPreview = 32780,
    kMenuSpecimen = 32781,
    kMenuResults = 32782,
    kMenuSeriesNew = 32783,
    kMenuSeriesExclude = 32784,
    kMenuSeriesEnd = 32785,
    kMenuTestLog = 32786,
    kMenuSeriesResults = 32787,
    kMenuCalibration = 32788,
    kMenuLanguage = 32789,
    kMenuExtensometer = 32790,
};

constexpr int Number(ControlId id) {
    return static_cast<int>(id);
}
