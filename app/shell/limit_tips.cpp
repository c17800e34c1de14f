#include "limit_tips.h"

#include <QCoreApplication>

std::vector<ControlTip> LimitTips(const QString& unit) {
    const QString u =
        unit.isEmpty() ? QString() : QCoreApplication::translate("LimitTips", "（%1）").arg(unit);
    const QString forceStop = QCoreApplication::translate("LimitTips", "强行停机限值") + u;
    const QString alarmHigh = QCoreApplication::translate("LimitTips", "上限报警值") + u;
    const QString alarmLow = QCoreApplication::translate("LimitTips", "下限报警值") + u;
    const QString breakValue = QCoreApplication::translate("LimitTips", "断裂判定值") + u;
    return {
        {ControlId::kForceStopLimit,
         forceStop + QCoreApplication::translate("LimitTips", "：拉力达到此值时强行停机")},
        {ControlId::kAlarmHigh,
         alarmHigh + QCoreApplication::translate("LimitTips", "：拉力达到此值时上限报警")},
        {ControlId::kAlarmLow,
         alarmLow + QCoreApplication::translate("LimitTips", "：拉力达到此值时下限报警")},
        {ControlId::kBreakValue,
         breakValue +
             QCoreApplication::translate("LimitTips", "：拉力从近期值回落达到此值即判为断裂")},
        {ControlId::kForcedStopLamp,
         QCoreApplication::translate("LimitTips", "强行停机：拉力达到") + forceStop +
             QCoreApplication::translate("LimitTips", "，或行程限位开关动作")},
        {ControlId::kAlarmHighLamp,
         QCoreApplication::translate("LimitTips", "上限报警：拉力达到") + alarmHigh},
        {ControlId::kAlarmLowLamp,
         QCoreApplication::translate("LimitTips", "下限报警：拉力达到") + alarmLow},
        {ControlId::kBrokenLamp,
         QCoreApplication::translate("LimitTips", "断裂：拉力回落达到") + breakValue},
        {ControlId::kAutoStopLamp, QCoreApplication::translate("LimitTips", "断裂后自动停机")},
        {ControlId::kAutoReturnLamp,
         QCoreApplication::translate("LimitTips", "自动停机后自动返回")},
    };
}
