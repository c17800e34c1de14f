#include "settings/settings_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRect>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/font_faces.h"
#include "common/message_box.h"
#include "settings/data_folder.h"
#include "settings/field_labels.h"
#include "settings/settings_checks.h"
#include "settings/settings_record.h"

namespace {

// Template 129 is laid out in dialog units of its 宋体 10 pt font.
constexpr double kPixelsPerUnit = 1.75;

int Px(int units) {
    return static_cast<int>(units * kPixelsPerUnit);
}

QRect UnitRect(int x, int y, int width, int height) {
    return QRect(Px(x), Px(y), Px(width), Px(height));
}

enum class Kind { kEdit, kDigitsEdit, kRangeList, kDampingList };

// One input control of the template: its id, its position in dialog units, where the label
// to its left starts and the settings string it shows, which gives the label.
struct ControlSpec {
    int id;
    Kind kind;
    int x, y, width, height;
    int labelLeft;
    std::size_t field;
    bool enabled;
};

// In tab order: top row, channel 0, channel 1, control parameters, tester and test name.
const ControlSpec kControls[] = {
    {1036, Kind::kEdit, 44, 4, 30, 12, 4, 0, false},
    {1045, Kind::kRangeList, 140, 4, 60, 14, 77, 1, false},
    {1047, Kind::kRangeList, 256, 4, 60, 14, 202, 2, false},
    {1048, Kind::kEdit, 64, 40, 60, 12, 11, 4, true},
    {1049, Kind::kEdit, 64, 64, 60, 12, 11, 5, true},
    {1050, Kind::kEdit, 64, 88, 60, 12, 9, 6, true},
    {1051, Kind::kEdit, 64, 112, 60, 12, 11, 7, true},
    {1052, Kind::kEdit, 64, 136, 60, 12, 11, 8, true},
    {1053, Kind::kEdit, 36, 160, 36, 12, 10, 9, true},
    {1046, Kind::kDampingList, 88, 160, 35, 14, 73, 3, true},
    {1060, Kind::kEdit, 64, 184, 60, 15, 11, 10, true},
    {1057, Kind::kEdit, 64, 216, 60, 12, 11, 23, true},
    {1058, Kind::kEdit, 64, 240, 60, 12, 11, 24, true},
    {1054, Kind::kEdit, 64, 264, 60, 12, 11, 19, false},
    {1055, Kind::kEdit, 64, 288, 60, 12, 11, 20, false},
    {1065, Kind::kEdit, 192, 40, 60, 12, 139, 12, true},
    {1067, Kind::kEdit, 192, 64, 60, 12, 139, 13, true},
    {1059, Kind::kEdit, 192, 88, 60, 12, 137, 14, true},
    {1069, Kind::kEdit, 192, 112, 60, 12, 139, 15, true},
    {1070, Kind::kEdit, 192, 136, 60, 12, 139, 16, true},
    {1071, Kind::kEdit, 164, 160, 36, 12, 138, 17, true},
    {1066, Kind::kDampingList, 220, 160, 35, 14, 201, 11, true},
    {1072, Kind::kEdit, 192, 184, 60, 15, 139, 18, true},
    {1061, Kind::kDigitsEdit, 316, 40, 44, 12, 267, 27, true},
    {1068, Kind::kDigitsEdit, 316, 64, 44, 12, 267, 22, true},
    {1056, Kind::kEdit, 316, 88, 44, 12, 267, 25, true},
    {1063, Kind::kDigitsEdit, 316, 112, 44, 12, 267, 21, true},
    {1064, Kind::kDigitsEdit, 316, 136, 44, 12, 267, 26, true},
    {1075, Kind::kEdit, 315, 165, 45, 15, 267, 30, true},
    {1076, Kind::kEdit, 315, 185, 45, 15, 267, 31, true},
    {1074, Kind::kEdit, 176, 272, 80, 15, 136, 29, true},
    {1073, Kind::kEdit, 176, 296, 180, 15, 136, 28, true},
};

const char* const kRangeItems[] = {"0~+5V", "0~+10V", "-5V~+5V", "-10V~+10V"};
const char* const kDampingItems[] = {"0", "1", "2", "3", "4"};

const char kErrorCaption[] = QT_TRANSLATE_NOOP("CSettingsDlg", "设置错误");
const char kDialogCaption[] = QT_TRANSLATE_NOOP("CSettingsDlg", "参数设置");

std::size_t EntryLimit(Settings& settings, std::size_t field) {
    return static_cast<std::size_t>(settings.Fields()[field].entryLimit);
}

// The template's labels were measured in 宋体; where the font standing in for it is wider,
// a label's font is made smaller until its text fits beside its control.
void FitLabel(QLabel* label) {
    QFont font = label->font();
    auto width = [&] { return QFontMetrics(font).boundingRect(QRect(), 0, label->text()).width(); };
    while (width() > label->width() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

// Sets a label into its cell. A cell that stands in a group keeps inside the group's contents:
// the cells of the first rows reach up into the title's band and some start left of the
// frame's inner edge, where the text would cross the frame. A cell lower than the text's
// lines grows downwards; a text that would still reach into the title's band moves down.
void PlaceLabel(QLabel* label, QRect cell, const std::vector<QGroupBox*>& groups) {
    const QGroupBox* group = nullptr;
    for (const QGroupBox* candidate : groups)
        if (candidate->geometry().contains(cell.center())) group = candidate;
    const QRect contents = group ? group->contentsRect().translated(group->pos()) : QRect();
    if (group) {
        cell.setLeft(std::max(cell.left(), contents.left()));
        cell.setRight(std::min(cell.right(), contents.right()));
    }
    label->setGeometry(cell);
    FitLabel(label);
    const int textHeight = label->fontMetrics().boundingRect(QRect(), 0, label->text()).height();
    cell.setHeight(std::max(cell.height(), textHeight));
    // The text is centred in the cell's height.
    const int textTop = cell.top() + (cell.height() - textHeight) / 2;
    if (group && textTop < contents.top()) cell.translate(0, contents.top() - textTop);
    label->setGeometry(cell);
}

// The application's style, except that a group's title gets the room its text advances.
// Fusion sizes the title by its text's ink, which for a title that opens with a full-width
// bracket is narrower than the advance, and the title's last character was cut off.
class CGroupTitleStyle : public QProxyStyle {
  public:
    CGroupTitleStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control == CC_GroupBox && part == SC_GroupBoxLabel && group) {
            const int advance = group->fontMetrics.size(Qt::TextShowMnemonic, group->text).width();
            rect.setWidth(std::max(rect.width(), advance));
        }
        return rect;
    }
};

}  // namespace

CSettingsDlg::CSettingsDlg(Settings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_opened(settings) {
    setWindowTitle(tr(kDialogCaption));
    // The same face for 宋体 as the main window's, whichever window comes first.
    InstallFontSubstitutions();
    setFont(QFont(QStringLiteral("宋体"), 10));
    setFixedSize(Px(370), Px(316));
    BuildControls();
    FillFromSettings();
    for (BoundEdit& bound : m_edits) bound.opened = bound.edit->text();
}

void CSettingsDlg::BuildControls() {
    // Group boxes first, so that the controls drawn over them stay on top.
    const struct {
        const char* title;
        int x, y, width, height;
    } groups[] = {{QT_TRANSLATE_NOOP("CSettingsDlg", "（0）通道配置参数"), 8, 24, 123, 284},
                  {QT_TRANSLATE_NOOP("CSettingsDlg", "（1）通道配置参数"), 136, 24, 123, 232},
                  {QT_TRANSLATE_NOOP("CSettingsDlg", "控制参数"), 264, 24, 101, 184}};
    auto* titleStyle = new CGroupTitleStyle;
    titleStyle->setParent(this);
    std::vector<QGroupBox*> boxes;
    for (const auto& group : groups) {
        auto* box = new QGroupBox(tr(group.title), this);
        box->setStyle(titleStyle);
        box->setGeometry(UnitRect(group.x, group.y, group.width, group.height));
        boxes.push_back(box);
    }
    for (int groupX : {8, 136}) {
        auto* line = new QLabel(QStringLiteral("----------------------------"), this);
        PlaceLabel(line, UnitRect(groupX + 4, 204, 115, 8), boxes);
    }

    for (const ControlSpec& spec : kControls) {
        // The long labels are set on two lines beside their control.
        auto* label = new QLabel(
            QCoreApplication::translate("SettingsFields", SettingsFieldDialogLabel(spec.field)),
            this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        int labelTop = std::max(0, spec.y - 5);
        PlaceLabel(label,
                   UnitRect(spec.labelLeft, labelTop, spec.x - 1 - spec.labelLeft,
                            spec.y + spec.height + 5 - labelTop),
                   boxes);

        QWidget* control = nullptr;
        if (spec.kind == Kind::kRangeList || spec.kind == Kind::kDampingList) {
            auto* list = new QComboBox(this);
            if (spec.kind == Kind::kRangeList) {
                for (const char* item : kRangeItems) list->addItem(QString::fromUtf8(item));
            } else {
                for (const char* item : kDampingItems) list->addItem(QString::fromUtf8(item));
            }
            m_lists.push_back({list, spec.field});
            control = list;
        } else {
            auto* edit = new QLineEdit(this);
            const std::size_t index = m_edits.size();
            m_edits.push_back(
                {edit, spec.field, spec.kind == Kind::kDigitsEdit, QString(), QString()});
            // textEdited comes before textChanged, so `accepted` still holds the text from
            // before the edit when the edit is judged; reading text() rather than the
            // signal's argument keeps it right after a refused edit has been put back.
            connect(edit, &QLineEdit::textEdited, this,
                    [this, index](const QString& text) { OnTextEdited(m_edits[index], text); });
            connect(edit, &QLineEdit::textChanged, this,
                    [this, index] { m_edits[index].accepted = m_edits[index].edit->text(); });
            control = edit;
        }
        control->setObjectName(QString::number(spec.id));
        control->setGeometry(UnitRect(spec.x, spec.y, spec.width, spec.height));
        control->setEnabled(spec.enabled);
        label->setBuddy(control);
    }

    // The buttons keep the ids of the standard OK and cancel commands.
    const struct {
        const char* text;
        const char* id;
        int y;
    } buttons[] = {{QT_TRANSLATE_NOOP("CSettingsDlg", "保存修改 确认返回"), "1", 220},
                   {QT_TRANSLATE_NOOP("CSettingsDlg", "不存修改 关闭返回"), "2", 244},
                   {QT_TRANSLATE_NOOP("CSettingsDlg", "撤销修改"), "1062", 268}};
    QPushButton* made[3];
    for (int i = 0; i < 3; ++i) {
        made[i] = new QPushButton(tr(buttons[i].text), this);
        made[i]->setObjectName(QString::fromUtf8(buttons[i].id));
        made[i]->setGeometry(UnitRect(276, buttons[i].y, 80, 18));
        made[i]->setAutoDefault(false);
    }
    made[0]->setDefault(true);
    connect(made[0], &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(made[1], &QPushButton::clicked, this, &QDialog::reject);
    connect(made[2], &QPushButton::clicked, this, &CSettingsDlg::FillFromSettings);
}

void CSettingsDlg::FillFromSettings() {
    for (const BoundEdit& bound : m_edits)
        bound.edit->setText(FromGbk(*m_settings.Fields()[bound.field].text));
    for (const BoundList& bound : m_lists) {
        bound.list->setCurrentIndex(
            bound.list->findText(FromGbk(*m_settings.Fields()[bound.field].text),
                                 Qt::MatchExactly | Qt::MatchCaseSensitive));
        // OK refuses an input type that is none of the list's; the list that is otherwise
        // shown only then lets the operator choose one.
        if (m_settings.Fields()[bound.field].text == &m_settings.g_strInputType &&
            bound.list->currentIndex() < 0)
            bound.list->setEnabled(true);
    }
}

void CSettingsDlg::OnTextEdited(BoundEdit& bound, const QString& text) {
    const QString previous = bound.accepted;
    if (AcceptsEntry(ToGbk(previous), ToGbk(text), EntryLimit(m_settings, bound.field),
                     bound.digitsOnly))
        return;
    // Refused: the edit shows what it had, with the caret where the typing began.
    const int typed = static_cast<int>(text.size() - previous.size());
    const int cursor =
        std::clamp(bound.edit->cursorPosition() - typed, 0, static_cast<int>(previous.size()));
    bound.edit->setText(previous);
    bound.edit->setCursorPosition(cursor);
}

void CSettingsDlg::OnOK() {
    // The entry limits bound what the operator enters. A stored text longer than its limit
    // (the default "-100.000" is one) is kept whole as long as it stands as the dialog
    // opened with it; one cut down but still too long is refused, and nothing is taken.
    for (const BoundEdit& bound : m_edits) {
        const std::size_t limit = EntryLimit(m_settings, bound.field);
        if (limit == 0 || bound.edit->text() == bound.opened ||
            ToGbk(bound.edit->text()).size() <= limit)
            continue;
        ShowMessageBox(this,
                       tr("输入的内容不能超过 %1 个字节（一个汉字占两个字节）：%2")
                           .arg(limit)
                           .arg(bound.edit->text()),
                       tr(kDialogCaption), QMessageBox::Warning);
        return;
    }
    for (const BoundEdit& bound : m_edits)
        *m_settings.Fields()[bound.field].text = ToGbk(bound.edit->text());

    // A list without a selection keeps its stored text.
    for (const BoundList& bound : m_lists) {
        if (bound.list->currentIndex() >= 0)
            *m_settings.Fields()[bound.field].text = ToGbk(bound.list->currentText());
    }

    if (std::optional<std::string> failure = CheckSettings(m_settings)) {
        ShowMessageBox(this, FromGbk(*failure), tr(kErrorCaption));
        return;
    }
    // Told before the confirmation, so that a question about the records comes last.
    const std::vector<std::string> notes = SettingsNotes(m_opened, m_settings);
    if (!notes.empty()) {
        std::string text;
        for (const std::string& note : notes) text += (text.empty() ? "" : "\n\n") + note;
        ShowMessageBox(this, FromGbk(text), tr(kDialogCaption), QMessageBox::Information);
    }
    if (m_confirm && !m_confirm()) return;

    std::string error;
    if (!WriteSettingsFile(m_settings, &error)) {
        ShowMessageBox(this, QString::fromStdString(error), tr(kDialogCaption),
                       QMessageBox::Warning);
        return;
    }
    accept();
}
