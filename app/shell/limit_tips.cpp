#include "limit_tips.h"

std::vector<ControlTip> LimitTips(const QString& unit) {
    const QString u = unit.isEmpty() ? QString() : QStringLiteral("（%1）").arg(unit);
    const QString forceStop = QStringLiteral("强行停机限值") + u;
    const QString alarmHigh = QStringLiteral("上限报警值") + u;
    const QString alarmLow = QStringLiteral("下限报警值") + u;
    const QString breakValue = QStringLiteral("断裂判定值") + u;
    return {
        {ControlId::kForceStopLimit, forceStop + QStringLiteral("：拉力达到此值时强行停机")},
        {ControlId::kAlarmHigh, alarmHigh + QStringLiteral("：拉力达到此值时上限报警")},
        {ControlId::kAlarmLow, alarmLow + QStringLiteral("：拉力达到此值时下限报警")},
        {ControlId::kBreakValue,
         breakValue + QStringLiteral("：拉力从近期值回落达到此值即判为断裂")},
        {ControlId::kForcedStopLamp,
         QStringLiteral("强行停机：拉力达到") + forceStop + QStringLiteral("，或行程限位开关动作")},
        {ControlId::kAlarmHighLamp, QStringLiteral("上限报警：拉力达到") + alarmHigh},
        {ControlId::kAlarmLowLamp, QStringLiteral("下限报警：拉力达到") + alarmLow},
        {ControlId::kBrokenLamp, QStringLiteral("断裂：拉力回落达到") + breakValue},
        {ControlId::kAutoStopLamp, QStringLiteral("断裂后自动停机")},
        {ControlId::kAutoReturnLamp, QStringLiteral("自动停机后自动返回")},
    };
}
