#include "settings/settings_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sstream>

#include "../common/text_fit.h"
#include "common/gbk_text.h"
#include "common/message_box.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"

namespace {

const QString kErrorCaption = QStringLiteral("设置错误");

QByteArray SettingsFileBytes() {
    QFile file(QString::fromStdString(SettingsFilePath()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QByteArray SaveSettingsBytes(const Settings& settings) {
    std::ostringstream out;
    settings.Save(out);
    return QByteArray::fromStdString(out.str());
}

// Types text as key presses carrying it, which is how an input method delivers Chinese.
void Type(QLineEdit* edit, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void layoutFollowsTemplate();
    void labelsNameTheirControls();
    void textsFitUnderTheProgramsFonts();
    void storedLongTextIsKeptWithoutABox();
    void longTextCutButStillTooLongIsRefused();
    void undoShowsRejectedAttempt();
    void listsSelectStoredTextOnly();
    void removedFileIsReported();
    void typingKeepsToLimitsAndDigits();
    void cancelChangesNothing();
    void limitsOutOfReachAreRefusedAndChangesTold();

  private:
    QLineEdit* Edit(int id) { return m_dialog->findChild<QLineEdit*>(QString::number(id)); }
    QComboBox* List(int id) { return m_dialog->findChild<QComboBox*>(QString::number(id)); }
    void Press(const char* button) {
        QPushButton* found = m_dialog->findChild<QPushButton*>(QString::fromUtf8(button));
        QVERIFY(found);
        found->click();
    }
    QStringList Errors() const {
        QStringList errors;
        for (const auto& [text, caption] : m_messages)
            if (caption == kErrorCaption) errors << text;
        return errors;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    Settings settings;
    std::unique_ptr<CSettingsDlg> m_dialog;
    QList<std::pair<QString, QString>> m_messages;
};

void SettingsDialogTest::init() {
    m_startDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    AnchorDataFolder();
    settings = Settings();
    std::string error;
    QVERIFY2(LoadOrCreateSettingsFile(settings, &error), error.c_str());
    m_messages.clear();
    SetMessageBoxHandler([this](const QString& text, const QString& caption) {
        m_messages.append({text, caption});
    });
    m_dialog = std::make_unique<CSettingsDlg>(settings, nullptr);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void SettingsDialogTest::cleanup() {
    m_dialog.reset();
    SetMessageBoxHandler({});
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void SettingsDialogTest::layoutFollowsTemplate() {
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("参数设置"));
    QCOMPARE(m_dialog->size(), QSize(647, 553));  // 370 x 316 units at 1.75 px
    QCOMPARE(Edit(1048)->geometry(), QRect(112, 70, 105, 21));
    QCOMPARE(Edit(1073)->geometry(), QRect(308, 518, 315, 26));

    QCOMPARE(Edit(1061)->geometry(), QRect(553, 70, 77, 21));
    QStringList titles;
    QList<QRect> frames;
    for (QGroupBox* box : m_dialog->findChildren<QGroupBox*>()) {
        titles << box->title();
        frames << box->geometry();
    }
    QCOMPARE(titles, (QStringList{"（0）通道配置参数", "（1）通道配置参数", "控制参数"}));
    QCOMPARE(frames, (QList<QRect>{QRect(14, 42, 215, 497), QRect(238, 42, 215, 406),
                                   QRect(462, 42, 176, 322)}));
    int separators = 0;
    for (QLabel* label : m_dialog->findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("----------------------------")) {
            QCOMPARE(label->y(), 357);  // y 204 units
            ++separators;
        }
    }
    QCOMPARE(separators, 2);

    QSet<int> disabled;
    const QList<QLineEdit*> edits = m_dialog->findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits)
        if (!edit->isEnabled()) disabled.insert(edit->objectName().toInt());
    QCOMPARE(edits.size(), 28);
    QCOMPARE(disabled, (QSet<int>{1036, 1054, 1055}));
    QCOMPARE(Edit(1049)->text(), QStringLiteral("-50.000"));
    QCOMPARE(Edit(1075)->text(), QStringLiteral("张力"));
    QVERIFY(!List(1045)->isEnabled());
    QVERIFY(!List(1047)->isEnabled());
    QVERIFY(List(1046)->isEnabled());
    QVERIFY(List(1066)->isEnabled());

    auto* ok = m_dialog->findChild<QPushButton*>("1");
    QVERIFY(ok && ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("保存修改 确认返回"));
    QCOMPARE(m_dialog->findChild<QPushButton*>("2")->text(), QStringLiteral("不存修改 关闭返回"));
    QCOMPARE(m_dialog->findChild<QPushButton*>("1062")->text(), QStringLiteral("撤销修改"));
}

// Each control's label, as the template sets it: the channel fields without their channel,
// some names on two lines with their range.
void SettingsDialogTest::labelsNameTheirControls() {
    QMap<QString, QString> labels;
    for (QLabel* label : m_dialog->findChildren<QLabel*>()) {
        if (label->buddy()) labels[label->buddy()->objectName()] = label->text();
    }
    QCOMPARE(labels.size(), 32);
    const struct {
        int id;
        const char* text;
    } expected[] = {{1036, "采集卡ID"},
                    {1045, "输入型号类型"},
                    {1046, "阻尼"},
                    {1050, "线性比例系数\n0.5000~2.0000"},
                    {1059, "线性比例系数\n0.5000~2.0000"},
                    {1071, "分辨率"},
                    {1054, "输出信号上限"},
                    {1061, "采集周期\n1~10000(mS)"},
                    {1063, "自动停机\n延时量1~200"},
                    {1064, "自动返回\n延时量1~200"},
                    {1068, "强制停机限"},
                    {1056, "断裂判定值"},
                    {1076, "(1)通道名称"},
                    {1073, "试验名称"}};
    for (const auto& e : expected)
        QCOMPARE(labels.value(QString::number(e.id)), QString::fromUtf8(e.text));
}

void SettingsDialogTest::textsFitUnderTheProgramsFonts() {
    // The dialog is drawn in the face the program maps 宋体 to.
    QCOMPARE(QFontInfo(m_dialog->font()).family(), QStringLiteral("Noto Serif CJK SC"));
    const QStringList faults = text_fit::Faults(m_dialog.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// The defaults as they stand, "-100.000" (8 bytes against 7) among them, save without a box.
void SettingsDialogTest::storedLongTextIsKeptWithoutABox() {
    QCOMPARE(Edit(1067)->text(), QStringLiteral("-100.000"));  // shown whole
    Edit(1073)->setText("拉伸试验 A-1");
    Edit(1074)->setText("张三李四王五赵六钱七");  // 20 bytes: fills its block
    List(1066)->setCurrentIndex(4);
    Press("1");
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

    const QByteArray saved = SettingsFileBytes();
    QCOMPARE(saved, SaveSettingsBytes(settings));
    QCOMPARE(saved.size(), 380);
    QCOMPARE(saved.mid(130, 9), QByteArray("-100.000\0", 9));
    QCOMPARE(saved.mid(110, 2), QByteArray("4\0", 2));
    QCOMPARE(saved.mid(280, 13), QByteArray::fromStdString(Utf8ToGbk("拉伸试验 A-1") + '\0'));
    QCOMPARE(saved.mid(340, 20), QByteArray::fromStdString(Utf8ToGbk("张三李四王五赵六钱七")));
}

// A stored text over its limit that the operator cut down, but not enough, is refused with
// the limit's notice: the dialog stays open and neither the file nor the strings take it.
void SettingsDialogTest::longTextCutButStillTooLongIsRefused() {
    settings.g_strRangeLow1 = "-100.0000";
    std::string error;
    QVERIFY2(WriteSettingsFile(settings, &error), error.c_str());
    m_dialog = std::make_unique<CSettingsDlg>(settings, nullptr);
    m_dialog->show();
    const QByteArray before = SettingsFileBytes();
    QLineEdit* low = Edit(1067);
    QCOMPARE(low->text(), QStringLiteral("-100.0000"));
    QTest::keyClick(low, Qt::Key_End);
    QTest::keyClick(low, Qt::Key_Backspace);
    QCOMPARE(low->text(), QStringLiteral("-100.000"));
    Edit(1073)->setText("Changed");
    Press("1");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].first.contains("7"));
    QVERIFY(m_messages[0].first.contains("-100.000"));
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(SettingsFileBytes(), before);
    QCOMPARE(settings.g_strRangeLow1, std::string("-100.0000"));
    QCOMPARE(settings.g_strTestName, std::string("Dranvik"));

    // Cut to its limit, it is taken.
    QTest::keyClick(low, Qt::Key_Backspace);
    Press("1");
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(SettingsFileBytes().mid(130, 8), QByteArray("-100.00\0", 8));
}

void SettingsDialogTest::undoShowsRejectedAttempt() {
    const QByteArray before = SettingsFileBytes();
    Edit(1048)->setText("10");
    Edit(1049)->setText("10");
    Edit(1051)->setText("kN");
    Press("1");
    QCOMPARE(Errors(), QStringList{"参数值：输入量程上限10 输入量程下限10不宜相等"});
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(SettingsFileBytes(), before);
    Edit(1048)->setText("77");
    Edit(1051)->setText("t");
    Press("1062");
    QCOMPARE(Edit(1048)->text(), QStringLiteral("10"));
    QCOMPARE(Edit(1049)->text(), QStringLiteral("10"));
    QCOMPARE(Edit(1051)->text(), QStringLiteral("kN"));
    QCOMPARE(settings.g_strUnit0, std::string("kN"));

    List(1046)->setCurrentIndex(3);
    Press("1062");
    Press("1062");
    QCOMPARE(List(1046)->currentText(), QStringLiteral("1"));
    for (int id : {1046, 1066}) QCOMPARE(List(id)->count(), 5);
    for (int id : {1045, 1047}) QCOMPARE(List(id)->count(), 4);
}

void SettingsDialogTest::listsSelectStoredTextOnly() {
    settings.g_strInputType = "0~+10V";
    settings.g_strOutputType = "-5v~+5v";  // differs in case: no item
    settings.g_strDamping0 = "9";
    Press("1062");
    QCOMPARE(List(1045)->currentIndex(), 1);
    QCOMPARE(List(1047)->currentIndex(), -1);
    QCOMPARE(List(1046)->currentIndex(), -1);
    QStringList items;
    for (int i = 0; i < List(1045)->count(); ++i) items << List(1045)->itemText(i);
    QCOMPARE(items, (QStringList{"0~+5V", "0~+10V", "-5V~+5V", "-10V~+10V"}));

    List(1066)->setCurrentIndex(3);
    Press("1");
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(settings.g_strInputType, std::string("0~+10V"));
    QCOMPARE(settings.g_strOutputType, std::string("-5v~+5v"));
    QCOMPARE(settings.g_strDamping0, std::string("9"));
    QCOMPARE(settings.g_strDamping1, std::string("3"));
}

void SettingsDialogTest::removedFileIsReported() {
    QVERIFY(QFile::remove(QString::fromStdString(SettingsFilePath())));
    Press("1");
    QCOMPARE(m_messages.size(), 1);  // the file error alone
    QVERIFY(m_messages[0].first.contains("MyTestSet.dat"));
    QVERIFY(m_dialog->isVisible());
    QVERIFY(QDir(QString::fromStdString(DataFolderPath())).entryList(QDir::Files).isEmpty());
}

void SettingsDialogTest::typingKeepsToLimitsAndDigits() {
    QLineEdit* name = Edit(1075);  // 10 bytes
    name->clear();
    Type(name, "张力张力张");
    Type(name, "a");
    QCOMPARE(name->text(), QStringLiteral("张力张力张"));
    QTest::keyClick(name, Qt::Key_Backspace);
    Type(name, "a张b");
    QCOMPARE(name->text(), QStringLiteral("张力张力ab"));

    // A text over its limit set from outside can be shortened but not lengthened.
    QLineEdit* low = Edit(1067);
    low->setText("-100.000");
    QTest::keyClick(low, Qt::Key_End);
    QTest::keyClicks(low, "1");
    QCOMPARE(low->text(), QStringLiteral("-100.000"));
    QTest::keyClick(low, Qt::Key_Backspace);
    QCOMPARE(low->text(), QStringLiteral("-100.00"));

    Edit(1061)->clear();
    QTest::keyClicks(Edit(1061), "1a.-00000");
    QCOMPARE(Edit(1061)->text(), QStringLiteral("10000"));
    // A stored forced-stop limit with a point stays editable.
    QLineEdit* limit = Edit(1068);
    QTest::keyClick(limit, Qt::Key_End);
    QTest::keyClick(limit, Qt::Key_Backspace);
    QTest::keyClicks(limit, "x9");
    QCOMPARE(limit->text(), QStringLiteral("35.009"));
}

void SettingsDialogTest::cancelChangesNothing() {
    const QByteArray before = SettingsFileBytes();
    Edit(1048)->setText("99");
    List(1046)->setCurrentIndex(4);
    Press("2");
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(settings.g_strRangeHigh0, std::string("50.000"));
    QCOMPARE(settings.g_strDamping0, std::string("1"));
    QCOMPARE(SettingsFileBytes(), before);
}

// A forced stop the channel cannot reach is refused with what it can reach; a fraction that
// will not trip, and a unit whose numbers were not converted, are told before the save.
void SettingsDialogTest::limitsOutOfReachAreRefusedAndChangesTold() {
    const QByteArray before = SettingsFileBytes();
    Edit(1068)->setText("350000");
    Press("1");
    QCOMPARE(Errors().size(), 1);
    QVERIFY2(Errors()[0].startsWith(QStringLiteral("强制停机限不匹配：（0）通道最大只能读到 50 N")),
             qPrintable(Errors()[0]));
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(SettingsFileBytes(), before);

    m_messages.clear();
    Edit(1068)->setText("35.5");
    Edit(1051)->setText("kN");
    Press("1");
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].second, QStringLiteral("参数设置"));
    QVERIFY2(m_messages[0].first.contains(QStringLiteral("强制停机限 35.5 按整数 35 动作")),
             qPrintable(m_messages[0].first));
    QVERIFY(m_messages[0].first.contains(QStringLiteral("（0）通道的计量单位由 N 改为 kN")));
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(settings.g_strUnit0, std::string("kN"));
}

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
