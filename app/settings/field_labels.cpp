#include "settings/field_labels.h"

#include <array>

#include "common/gbk_text.h"
#include "common/ui_text.h"
#include "settings/settings_record.h"

namespace {

struct FieldLabel {
    const char* name;
    // 0 or 1 for a field of that channel, -1 for the others.
    int channel;
    // The dialog's label where it is more than the name.
    const char* dialogLabel;
};

const std::array<FieldLabel, kSettingsFieldCount> kLabels = {{
    {QT_TRANSLATE_NOOP("SettingsFields", "采集卡ID"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输入型号类型"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输出信号类型"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "阻尼"), 0, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输入量程上限"), 0, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输入量程下限"), 0, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "线性比例系数"), 0,
     QT_TRANSLATE_NOOP("SettingsFields", "线性比例系数\n0.5000~2.0000")},
    {QT_TRANSLATE_NOOP("SettingsFields", "计量单位"), 0, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "小信号切除量"), 0, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "分辨率"), 0, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "预存零位"), 0, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "阻尼"), 1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输入量程上限"), 1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输入量程下限"), 1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "线性比例系数"), 1,
     QT_TRANSLATE_NOOP("SettingsFields", "线性比例系数\n0.5000~2.0000")},
    {QT_TRANSLATE_NOOP("SettingsFields", "计量单位"), 1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "小信号切除量"), 1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "分辨率"), 1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "预存零位"), 1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输出信号上限"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "输出信号下限"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "自动停机延时量"), -1,
     QT_TRANSLATE_NOOP("SettingsFields", "自动停机\n延时量1~200")},
    {QT_TRANSLATE_NOOP("SettingsFields", "强制停机限"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "报警上限值"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "报警下限值"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "断裂判定值"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "自动返回延时量"), -1,
     QT_TRANSLATE_NOOP("SettingsFields", "自动返回\n延时量1~200")},
    {QT_TRANSLATE_NOOP("SettingsFields", "采集周期"), -1,
     QT_TRANSLATE_NOOP("SettingsFields", "采集周期\n1~10000(mS)")},
    {QT_TRANSLATE_NOOP("SettingsFields", "试验名称"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "测试员"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "(0)通道名称"), -1, nullptr},
    {QT_TRANSLATE_NOOP("SettingsFields", "(1)通道名称"), -1, nullptr},
}};

}  // namespace

const char* SettingsFieldName(std::size_t field) {
    return field < kLabels.size() ? kLabels[field].name : "";
}

const char* SettingsFieldDialogLabel(std::size_t field) {
    if (field >= kLabels.size()) return "";
    return kLabels[field].dialogLabel ? kLabels[field].dialogLabel : kLabels[field].name;
}

std::string SettingsFieldLabel(std::size_t field) {
    if (field >= kLabels.size()) return std::string();
    const FieldLabel& label = kLabels[field];
    const std::string name = ui::translate("SettingsFields", label.name);
    if (label.channel < 0) return Utf8ToGbk(name);
    return Utf8ToGbk(ui::Fill(ui::translate("SettingsFields", "(%1)通道 %2"),
                              {std::to_string(label.channel), name}));
}
