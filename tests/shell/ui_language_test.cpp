// The windows' language: how it is chosen and saved, that in English no window reachable from
// the main window shows a Chinese text of its own, and that in both languages every text
// of every window fits its control and every list header's section its caption.
#include "common/ui_language.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <set>

#include "../common/modal_answer.h"
#include "../common/text_fit.h"
#include "card.h"
#include "common/gbk_text.h"
#include "common/message_box.h"
#include "common/ui_text.h"
#include "control/control_ids.h"
#include "driver.h"
#include "in_process_driver.h"
#include "settings/data_folder.h"
#include "settings/settings_checks.h"
#include "shell/extensometer_readout.h"
#include "shell/language_dialog.h"
#include "shell/main_dialog.h"

namespace {

// Texts that stay Chinese in English: the default channel names, which the settings file
// holds; the data folder's name, a file name a file picker shows; and the language dialog's
// own name for Chinese, written in Chinese so that a Chinese reader finds it.
const QStringList kAllowed = {QStringLiteral("张力"), QStringLiteral("位移"),
                              QStringLiteral("测试数据存档"), QStringLiteral("中文")};

bool HasChinese(QString text) {
    for (const QString& allowed : kAllowed) text.remove(allowed);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
    }
    return false;
}

QString Describe(const QObject* object, const QString& what, const QString& text) {
    return QStringLiteral("%1 %2 %3: \"%4\"")
        .arg(QString::fromLatin1(object->metaObject()->className()), object->objectName(), what,
             text);
}

void CheckText(const QObject* object, const QString& what, const QString& text,
               QStringList* found) {
    if (HasChinese(text)) *found << Describe(object, what, text);
}

void CheckActions(const QWidget* widget, QStringList* found) {
    for (const QAction* action : widget->actions()) {
        CheckText(action, QStringLiteral("action"), action->text(), found);
        CheckText(action, QStringLiteral("tooltip"), action->toolTip(), found);
        if (action->menu() != nullptr) CheckActions(action->menu(), found);
    }
}

void CheckHeaders(const QAbstractItemView* view, QStringList* found) {
    const QAbstractItemModel* model = view->model();
    if (model == nullptr) return;
    for (int c = 0; c < model->columnCount(); ++c)
        CheckText(view, QStringLiteral("header"), model->headerData(c, Qt::Horizontal).toString(),
                  found);
}

// Every text a person sees of the window: its title, labels, buttons, group titles, menus,
// list headers, placeholders, tooltips and tab names; the cells of lists are data.
QStringList ChineseTexts(const QWidget* window) {
    QStringList found;
    CheckText(window, QStringLiteral("title"), window->windowTitle(), &found);
    CheckActions(window, &found);
    QList<const QWidget*> widgets{window};
    for (const QWidget* child : window->findChildren<QWidget*>())
        if (child->isVisibleTo(window)) widgets << child;
    for (const QWidget* w : widgets) {
        CheckText(w, QStringLiteral("tooltip"), w->toolTip(), &found);
        if (const auto* label = qobject_cast<const QLabel*>(w))
            CheckText(w, QStringLiteral("label"), label->text(), &found);
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            CheckText(w, QStringLiteral("button"), button->text(), &found);
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            CheckText(w, QStringLiteral("group"), group->title(), &found);
        if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
            CheckText(w, QStringLiteral("placeholder"), edit->placeholderText(), &found);
            if (edit->isReadOnly()) CheckText(w, QStringLiteral("text"), edit->text(), &found);
        }
        if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                CheckText(w, QStringLiteral("item"), combo->itemText(i), &found);
        }
        if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                CheckText(w, QStringLiteral("tab"), tabs->tabText(i), &found);
        }
        if (const auto* view = qobject_cast<const QAbstractItemView*>(w))
            CheckHeaders(view, &found);
        if (const auto* menuBar = qobject_cast<const QMenuBar*>(w)) CheckActions(menuBar, &found);
    }
    return found;
}

// The menu bar's commands each stand whole within the bar, none pushed into its overflow.
QStringList MenuBarFaults(const QWidget* window) {
    QStringList faults;
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* action : bar->actions()) {
            const QRect place = bar->actionGeometry(action);
            if (place.isEmpty() || !bar->rect().contains(place))
                faults << QStringLiteral("menu \"%1\" at %2 outside the bar %3")
                              .arg(action->text(), text_fit::Show(place),
                                   text_fit::Show(bar->rect()));
        }
    }
    return faults;
}

// A read-only box whose text is a caption the window gives it, not a reading.
QStringList CaptionFaults(const QWidget* window) {
    QStringList faults;
    for (ControlId id : {ControlId::kCounterCaption, ControlId::kPeakCaption0,
                         ControlId::kPeakCaption1, ControlId::kTimesCaption}) {
        const auto* edit = window->findChild<QLineEdit*>(QString::number(Number(id)));
        if (edit == nullptr) continue;
        const int room = edit->contentsRect().width() - 4;
        const int width = edit->fontMetrics().horizontalAdvance(edit->text());
        if (width > room)
            faults << QStringLiteral("caption %1 \"%2\" is %3 wide in %4")
                          .arg(edit->objectName(), edit->text())
                          .arg(width)
                          .arg(room);
    }
    return faults;
}

// Every text of the window that does not fit its control, each named with the window.
QStringList FitFaults(QWidget* window) {
    // Measured as the window is next drawn: after the layouts a new text asked for.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QStringList faults = text_fit::Faults(window) << text_fit::HeaderFaults(window);
    for (QString& fault : faults) fault.prepend(window->windowTitle() + QStringLiteral(": "));
    return faults;
}

// The new-series dialog's answer: a series named S1 begun.
void BeginSeries(QWidget* dialog) {
    dialog->findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("S1"));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// The windows' language for the next window made, as a start with that choice gives it.
void UseLanguage(UiLanguage language) {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    ui::SetTranslator(nullptr);
    QVERIFY(InstallUiLanguage(*qApp, language));
}

}  // namespace

class UiLanguageTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void localeRule();
    void choiceOrder();
    void savedChoiceFile();
    void englishLoadsEveryTranslation();
    void languageDialogSavesItsOwnFileForTheNextStart();
    void walkInEnglish_data();
    void walkInEnglish();
    void textsFit_data();
    void textsFit();

  private:
    using Check = std::function<QStringList(QWidget*)>;
    using Answer = std::function<void(QWidget*)>;

    void Open(bool withCard = true);
    QAction* Action(ControlId id) const;
    // Runs the command and returns what `check` finds in the modal window it opens when
    // `modal` (answered by `answer`, else closed) and in each window it brings on screen.
    QStringList Reached(ControlId command, bool modal, const Check& check,
                        const Answer& answer = {});
    // What a person then sees in Chinese: in the windows the command brings and in message
    // boxes.
    QStringList Seen(ControlId command, bool modal, const Answer& answer = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    sim::Card m_card;
    std::unique_ptr<sim::InProcessDriver> m_driver;
    std::unique_ptr<CTestDlg> m_dlg;
    std::vector<std::pair<QString, QString>> m_boxes;
};

void UiLanguageTest::init() {
    m_previousDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    AnchorDataFolder();
    qputenv("DQX7460_DRIVER_DIR", QFile::encodeName(m_dir->filePath(QStringLiteral("driver"))));
    m_boxes.clear();
    SetMessageBoxHandler([this](const QString& text, const QString& caption) {
        m_boxes.emplace_back(text, caption);
    });
    SetQuestionHandler([this](const QString& text, const QString& caption) {
        m_boxes.emplace_back(text, caption);
        return false;
    });
    m_card.SetDigitalInputs(0xFFFF);
    m_driver = std::make_unique<sim::InProcessDriver>();
    dqx7460::SetDriver(m_driver.get());
}

void UiLanguageTest::cleanup() {
    m_dlg.reset();
    qunsetenv("DQX7460_DRIVER_DIR");
    dqx7460::SetDriver(nullptr);
    m_driver.reset();
    SetMessageBoxHandler({});
    SetQuestionHandler({});
    UseLanguage(UiLanguage::Chinese);
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void UiLanguageTest::Open(bool withCard) {
    if (withCard) m_driver->AddCard(0, m_card);
    m_dlg = std::make_unique<CTestDlg>();
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
}

QAction* UiLanguageTest::Action(ControlId id) const {
    return m_dlg->findChild<QAction*>(QString::number(Number(id)));
}

QStringList UiLanguageTest::Reached(ControlId command, bool modal, const Check& check,
                                    const Answer& answer) {
    QStringList found;
    QAction* action = Action(command);
    if (action == nullptr || !action->isEnabled()) {
        found << QStringLiteral("command %1 is not there or not enabled").arg(Number(command));
        return found;
    }
    // A window made hidden beforehand, such as the extensometer's readout, counts once shown.
    QWidgetList before;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) before << window;
    m_boxes.clear();
    bool modalSeen = false;
    if (modal) {
        AnswerModal([this](QWidget* shown) { return shown != m_dlg.get() && shown->isVisible(); },
                    [&](QWidget* shown) {
                        modalSeen = true;
                        found << check(shown);
                        if (answer) {
                            answer(shown);
                        } else {
                            shown->close();
                        }
                    });
    }
    action->trigger();
    if (modal && !modalSeen)
        found << QStringLiteral("command %1 opened no modal window").arg(Number(command));
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !before.contains(window) && window != m_dlg.get())
            found << check(window);
    }
    return found;
}

QStringList UiLanguageTest::Seen(ControlId command, bool modal, const Answer& answer) {
    QStringList found = Reached(command, modal, ChineseTexts, answer);
    for (const auto& [text, caption] : m_boxes) {
        if (HasChinese(text) || HasChinese(caption))
            found << QStringLiteral("message box \"%1\": \"%2\"").arg(caption, text);
    }
    return found;
}

void UiLanguageTest::localeRule() {
    // The C library's order: LC_ALL, then LC_MESSAGES, then LANG.
    QCOMPARE(LocaleUiLanguage("en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8"), UiLanguage::English);
    QCOMPARE(LocaleUiLanguage("", "zh_CN.UTF-8", "en_US.UTF-8"), UiLanguage::Chinese);
    QCOMPARE(LocaleUiLanguage(nullptr, nullptr, "en_US.UTF-8"), UiLanguage::English);
    QCOMPARE(LocaleUiLanguage(nullptr, nullptr, "en"), UiLanguage::English);
    QCOMPARE(LocaleUiLanguage(nullptr, "en@quot", nullptr), UiLanguage::English);
    // Anything but English is Chinese, the default: C, POSIX, another language, none.
    QCOMPARE(LocaleUiLanguage(nullptr, nullptr, "C.UTF-8"), UiLanguage::Chinese);
    QCOMPARE(LocaleUiLanguage("POSIX", nullptr, nullptr), UiLanguage::Chinese);
    QCOMPARE(LocaleUiLanguage(nullptr, nullptr, "de_DE.UTF-8"), UiLanguage::Chinese);
    QCOMPARE(LocaleUiLanguage(nullptr, nullptr, "eng"), UiLanguage::Chinese);
    QCOMPARE(LocaleUiLanguage(nullptr, nullptr, nullptr), UiLanguage::Chinese);
}

void UiLanguageTest::choiceOrder() {
    QCOMPARE(ParseUiLanguage("en"), std::optional(UiLanguage::English));
    QCOMPARE(ParseUiLanguage("zh"), std::optional(UiLanguage::Chinese));
    QVERIFY(!ParseUiLanguage("EN"));
    QVERIFY(!ParseUiLanguage(""));
    const auto en = std::optional(UiLanguage::English);
    const auto zh = std::optional(UiLanguage::Chinese);
    QCOMPARE(ChooseUiLanguage(zh, en, UiLanguage::English), UiLanguage::Chinese);
    QCOMPARE(ChooseUiLanguage(std::nullopt, en, UiLanguage::Chinese), UiLanguage::English);
    QCOMPARE(ChooseUiLanguage(std::nullopt, std::nullopt, UiLanguage::English),
             UiLanguage::English);
}

void UiLanguageTest::savedChoiceFile() {
    const std::string path = m_dir->filePath(QStringLiteral("Language.ini")).toStdString();
    QVERIFY(!ReadSavedUiLanguage(path));
    std::string error;
    QVERIFY(SaveUiLanguage(path, UiLanguage::English, &error));
    QCOMPARE(ReadSavedUiLanguage(path), std::optional(UiLanguage::English));
    QVERIFY(SaveUiLanguage(path, UiLanguage::Chinese, &error));
    QCOMPARE(ReadSavedUiLanguage(path), std::optional(UiLanguage::Chinese));
    // A file edited by hand: CRLF lines read; an unknown value is no choice.
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Interface]\r\nLanguage=en\r\n");
    file.close();
    QCOMPARE(ReadSavedUiLanguage(path), std::optional(UiLanguage::English));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Language=fr\n");
    file.close();
    QVERIFY(!ReadSavedUiLanguage(path));
}

void UiLanguageTest::englishLoadsEveryTranslation() {
    const QStringList built =
        QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("velmora_*_en.qm")});
    for (const char* library :
         {"shell", "common", "settings_dialog", "settings", "control", "text"})
        QVERIFY2(built.contains(QStringLiteral("velmora_%1_en.qm").arg(QLatin1String(library))),
                 library);
    UseLanguage(UiLanguage::English);
    QCOMPARE(InstalledUiLanguage(), UiLanguage::English);
    QCOMPARE(qApp->findChildren<QTranslator*>().size(), built.size());
    // A text of the code built without Qt goes through the same translations.
    QCOMPARE(ui::translate("RunController", "开始采集"), std::string("Start"));
    // Qt's own dialogs follow: no Chinese of Qt's is installed in English.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    // A check's message, put together from the translated text and its field's name.
    QCOMPARE(CheckSamplePeriod("0").value_or(""),
             std::string("Sample period is not valid: enter a number from 1 to 10000"));
    UseLanguage(UiLanguage::Chinese);
    QCOMPARE(ui::translate("RunController", "开始采集"), std::string("开始采集"));
    QCOMPARE(GbkToUtf8(CheckSamplePeriod("0").value_or("")),
             std::string("采集周期不匹配：请输入在1~10000之间的数值"));
    QCOMPARE(QCoreApplication::translate("CMainControls", "开始采集"), QStringLiteral("开始采集"));
}

void UiLanguageTest::languageDialogSavesItsOwnFileForTheNextStart() {
    UseLanguage(UiLanguage::English);
    Open();
    const QString settingsFile = QString::fromStdString(SettingsFilePath());
    QFile settings(settingsFile);
    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray settingsBefore = settings.readAll();
    settings.close();

    // Cancel keeps no choice; the dialog shows the language in force.
    QStringList found = Seen(ControlId::kMenuLanguage, true, [](QWidget* dialog) {
        QVERIFY(dialog->findChild<QRadioButton*>(QStringLiteral("english"))->isChecked());
        QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("note"))
                    ->text()
                    .contains(QStringLiteral("next time")));
        dialog->findChild<QPushButton*>(QStringLiteral("2"))->click();
    });
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    QVERIFY(!ReadSavedUiLanguage(UiLanguageFilePath()));

    Seen(ControlId::kMenuLanguage, true, [](QWidget* dialog) {
        dialog->findChild<QRadioButton*>(QStringLiteral("chinese"))->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    QCOMPARE(ReadSavedUiLanguage(UiLanguageFilePath()), std::optional(UiLanguage::Chinese));
    // Nothing changes before the next start, and the settings file is not touched.
    QCOMPARE(Action(ControlId::kMenuSettings)->text(), QStringLiteral("Sett&ings"));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), settingsBefore);
    // The next opening shows the saved choice.
    Seen(ControlId::kMenuLanguage, true, [](QWidget* dialog) {
        QVERIFY(dialog->findChild<QRadioButton*>(QStringLiteral("chinese"))->isChecked());
        dialog->close();
    });
}

void UiLanguageTest::walkInEnglish_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("withCard");
    QTest::addColumn<bool>("modal");
    // The main window itself, then each command's window, dialog or message.
    QTest::newRow("main window") << 0 << true << false;
    QTest::newRow("settings") << Number(ControlId::kMenuSettings) << true << true;
    QTest::newRow("specimen") << Number(ControlId::kMenuSpecimen) << true << true;
    QTest::newRow("language") << Number(ControlId::kMenuLanguage) << true << true;
    QTest::newRow("mark invalid refused: no series")
        << -Number(ControlId::kMenuSeriesExclude) << true << true;
    QTest::newRow("mark invalid") << Number(ControlId::kMenuSeriesExclude) << true << true;
    QTest::newRow("series results refused: no series")
        << Number(ControlId::kMenuSeriesResults) << true << false;
    QTest::newRow("print dialog") << Number(ControlId::kMenuPrint) << true << true;
    QTest::newRow("print preview") << Number(ControlId::kMenuPrintPreview) << true << true;
    QTest::newRow("no card notice and file picker")
        << Number(ControlId::kMenuOpen) << false << true;
    QTest::newRow("open refused: not an archive") << -Number(ControlId::kMenuOpen) << false << true;
    // The windows whose texts the results' translations give.
    QTest::newRow("results window") << Number(ControlId::kMenuResults) << true << false;
    QTest::newRow("calibration") << Number(ControlId::kMenuCalibration) << true << true;
    QTest::newRow("new series dialog") << Number(ControlId::kMenuSeriesNew) << true << true;
    QTest::newRow("series window") << -Number(ControlId::kMenuSeriesResults) << true << false;
    QTest::newRow("test log") << Number(ControlId::kMenuTestLog) << true << false;
    QTest::newRow("extensometer") << Number(ControlId::kMenuExtensometer) << true << true;
}

void UiLanguageTest::walkInEnglish() {
    QFETCH(int, command);
    QFETCH(bool, withCard);
    QFETCH(bool, modal);
    UseLanguage(UiLanguage::English);
    Open(withCard);
    QStringList found;
    for (const auto& [text, caption] : m_boxes) {
        if (HasChinese(text) || HasChinese(caption))
            found << QStringLiteral("start-up message \"%1\": \"%2\"").arg(caption, text);
    }
    if (command == 0) {
        found << ChineseTexts(m_dlg.get());
        // The print button's menu, which the button pops up.
        found << ChineseTexts(
            m_dlg->findChild<QMenu*>(QString::number(Number(ControlId::kPrintMenu))));
    } else if (command == -Number(ControlId::kMenuSeriesExclude)) {
        // The reason given, the controller refuses: the test is no series' specimen.
        found << Seen(ControlId::kMenuSeriesExclude, true,
                      [](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->accept(); });
        QVERIFY(!m_boxes.empty());
    } else if (command == -Number(ControlId::kMenuOpen)) {
        // A file the records refuse: the reason is the records' own message.
        const QString junk = QDir::current().filePath(QStringLiteral("junk.dat"));
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not an archive") > 0);
        file.close();
        found << Seen(ControlId::kMenuOpen, true, [&junk](QWidget* dialog) {
            // The path typed, as the operator would: selectFile() leaves a focused name field
            // as it was, and the picker then warns of a missing file in a window of its own.
            auto* picker = qobject_cast<QFileDialog*>(dialog);
            picker->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(junk);
            static_cast<QDialog*>(picker)->accept();
        });
        QVERIFY(std::any_of(m_boxes.begin(), m_boxes.end(),
                            [&junk](const auto& box) { return box.first.contains(junk); }));
    } else if (command < 0) {
        // A series begun in its dialog, then its window.
        Seen(ControlId::kMenuSeriesNew, true, BeginSeries);
        found << Seen(static_cast<ControlId>(-command), modal);
    } else {
        found << Seen(static_cast<ControlId>(command), modal);
    }
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

void UiLanguageTest::textsFit_data() {
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

void UiLanguageTest::textsFit() {
    QFETCH(bool, english);
    // The faces the windows are measured in, which the package depends on.
    const QStringList families = QFontDatabase::families();
    for (const char* face : {"Noto Sans CJK SC", "Noto Serif CJK SC"})
        QVERIFY2(families.contains(QLatin1String(face)),
                 qPrintable(QStringLiteral("%1 is not installed (fonts-noto-cjk)").arg(face)));
    UseLanguage(english ? UiLanguage::English : UiLanguage::Chinese);
    Open();
    QStringList faults = FitFaults(m_dlg.get());
    faults << MenuBarFaults(m_dlg.get()) << CaptionFaults(m_dlg.get());
    // The travel-limit button's other caption, which its toggle shows.
    m_dlg->findChild<QPushButton*>(QString::number(Number(ControlId::kTravelLimit)))->click();
    faults << FitFaults(m_dlg.get());
    for (ControlId dialog : {ControlId::kMenuSettings, ControlId::kMenuSpecimen,
                             ControlId::kMenuLanguage, ControlId::kMenuCalibration})
        faults << Reached(dialog, true, FitFaults);
    faults << Reached(ControlId::kMenuSeriesNew, true, FitFaults, BeginSeries);
    // A test of the series saved, so that the series' and the results' lists have their
    // columns of values and the series its curve's entry.
    m_card.SetVoltage(0, 1.5);
    m_card.SetVoltage(1, -0.5);
    m_dlg->OnStart();
    for (int i = 0; i < 3; ++i) m_dlg->SampleTick();
    m_dlg->OnStop();
    m_dlg->OnSave();
    QVERIFY(!m_dlg->Run().HasUnsavedTest() && m_dlg->Run().g_nRecordCount == 3);
    faults << Reached(ControlId::kMenuSeriesResults, false, FitFaults);
    faults << Reached(ControlId::kMenuResults, false, FitFaults);
    faults << Reached(ControlId::kMenuTestLog, false, [](QWidget* window) {
        // The count beside the buttons comes with the store's first answer.
        const auto* count = window->findChild<QLabel*>(QStringLiteral("count"));
        if (count == nullptr ||
            !QTest::qWaitFor([count] { return !count->text().isEmpty(); }, 10000))
            return QStringList{QStringLiteral("the test log listed nothing")};
        return FitFaults(window);
    });
    // Turned on, the extensometer brings its readout, which the walk checks as it comes.
    bool readoutSeen = false;
    faults << Reached(
        ControlId::kMenuExtensometer, true,
        [&](QWidget* window) {
            readoutSeen |= window == m_dlg->ExtensometerReadout();
            return FitFaults(window);
        },
        [](QWidget* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("enabled"))->setChecked(true);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
    QVERIFY(readoutSeen);
    // Its other texts: a reading with its strain, and the line after it is taken off.
    CExtensometerReadout* readout = m_dlg->ExtensometerReadout();
    ExtensometerReadoutFacts facts;
    facts.shown = facts.read = true;
    facts.reading = "-12.3456";
    facts.unit = "mm";
    facts.strain = "-49.382";
    readout->ShowFacts(facts);
    faults << FitFaults(readout);
    facts.read = false;
    facts.removed = true;
    readout->ShowFacts(facts);
    faults << FitFaults(readout);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(UiLanguageTest)
#include "ui_language_test.moc"
