#include "limit_tips.h"

std::vector<ControlTip> LimitTips(const QString& unit) {
    const QString u = unit.isEmpty() ? QString() : QStringLiteral("（%1）").arg(unit);
    const QString forceStop = QStringLiteral("强行停机限值") + u;
    const QString alarmHigh = QStringLiteral("上限报警值") + u;
    const QString alarmLow = QStringLiteral("下限报警值") + u;
    const QString breakValue = QStringLiteral("断裂判定值") + u;
    return {
        {1005, forceStop + QStringLiteral("：拉力达到此值时强行停机")},
        {1006, alarmHigh + QStringLiteral("：拉力达到此值时上限报警")},
        {1007, alarmLow + QStringLiteral("：拉力达到此值时下限报警")},
        {1008, breakValue + QStringLiteral("：拉力从近期值回落达到此值即判为断裂")},
        {1067,
         QStringLiteral("强行停机：拉力达到") + forceStop + QStringLiteral("，或行程限位开关动作")},
        {1068, QStringLiteral("上限报警：拉力达到") + alarmHigh},
        {1069, QStringLiteral("下限报警：拉力达到") + alarmLow},
        {1070, QStringLiteral("断裂：拉力回落达到") + breakValue},
        {1073, QStringLiteral("断裂后自动停机")},
        {1072, QStringLiteral("自动停机后自动返回")},
    };
}
