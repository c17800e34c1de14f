#include "settings/field_labels.h"

#include <array>

#include "common/gbk_text.h"
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
    {"采集卡ID", -1, nullptr},
    {"输入型号类型", -1, nullptr},
    {"输出信号类型", -1, nullptr},
    {"阻尼", 0, nullptr},
    {"输入量程上限", 0, nullptr},
    {"输入量程下限", 0, nullptr},
    {"线性比例系数", 0, "线性比例系数\n0.5000~2.0000"},
    {"计量单位", 0, nullptr},
    {"小信号切除量", 0, nullptr},
    {"分辨率", 0, nullptr},
    {"预存零位", 0, nullptr},
    {"阻尼", 1, nullptr},
    {"输入量程上限", 1, nullptr},
    {"输入量程下限", 1, nullptr},
    {"线性比例系数", 1, "线性比例系数\n0.5000~2.0000"},
    {"计量单位", 1, nullptr},
    {"小信号切除量", 1, nullptr},
    {"分辨率", 1, nullptr},
    {"预存零位", 1, nullptr},
    {"输出信号上限", -1, nullptr},
    {"输出信号下限", -1, nullptr},
    {"自动停机延时量", -1, "自动停机\n延时量1~200"},
    {"强制停机限", -1, nullptr},
    {"报警上限值", -1, nullptr},
    {"报警下限值", -1, nullptr},
    {"断裂判定值", -1, nullptr},
    {"自动返回延时量", -1, "自动返回\n延时量1~200"},
    {"采集周期", -1, "采集周期\n1~10000(mS)"},
    {"试验名称", -1, nullptr},
    {"测试员", -1, nullptr},
    {"(0)通道名称", -1, nullptr},
    {"(1)通道名称", -1, nullptr},
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
    const std::string channel =
        label.channel < 0 ? std::string() : "(" + std::to_string(label.channel) + ")通道 ";
    return Utf8ToGbk(channel + label.name);
}
