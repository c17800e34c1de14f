#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "card.h"
#include "panel/rig_panel.h"
#include "rig.h"

class RigPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void buttonsHoldTheirInputWhilePressed() {
        sim::Card card;
        double now = 0.0;
        sim::Rig rig(card, sim::RigParams(), [&now] { return now; });
        sim::RigPanel panel(rig);
        auto* start = panel.findChild<QPushButton*>("start");
        QVERIFY(start != nullptr);
        QTest::mousePress(start, Qt::LeftButton);
        now = 5.0;
        rig.Update();
        QCOMPARE(card.DigitalInputs(), std::uint16_t(0xFFFF & ~sim::kInStart));
        QTest::mouseRelease(start, Qt::LeftButton);
        QCOMPARE(card.DigitalInputs(), std::uint16_t(0xFFFF));

        // A click quicker than the program's input poll still reads low for two polls.
        QTest::mouseClick(start, Qt::LeftButton);
        now += 0.06;
        rig.Update();
        QCOMPARE(card.DigitalInputs(), std::uint16_t(0xFFFF & ~sim::kInStart));
        now += 0.02;
        rig.Update();
        QCOMPARE(card.DigitalInputs(), std::uint16_t(0xFFFF));

        auto* limit = panel.findChild<QPushButton*>("travelLimit");
        QVERIFY(limit != nullptr);
        limit->click();
        QCOMPARE(card.DigitalInputs(), std::uint16_t(0xFFFF & ~sim::kInTravelLimit));
        limit->click();
        QCOMPARE(card.DigitalInputs(), std::uint16_t(0xFFFF));
    }

    void panelNamesTheButtonsThatMoveTheCrosshead() {
        sim::Card card;
        double now = 0.0;
        sim::Rig rig(card, sim::RigParams(), [&now] { return now; });
        sim::RigPanel panel(rig);
        auto* hint = panel.findChild<QLabel*>("crossheadHint");
        QVERIFY(hint != nullptr);
        for (const char* name : {"start", "stop"}) {
            QString text = panel.findChild<QPushButton*>(name)->text();
            QVERIFY2(hint->text().contains(text), qPrintable(text));
        }
        QVERIFY(hint->text().contains("开始采集"));
    }

    void panelSitsAtTheTopLeftOfTheFreeArea() {
        const struct {
            QRect available;
            QPoint expected;
        } cases[] = {
            {{0, 0, 1920, 1040}, {0, 0}},
            {{1920, 28, 1280, 996}, {1920, 28}},
            {{0, 32, 1366, 736}, {0, 32}},
        };
        for (const auto& c : cases) QCOMPARE(sim::PanelPosition(c.available), c.expected);
    }

    void lampsAndReadoutsFollowTheRig() {
        sim::Card card;
        double now = 0.0;
        sim::Rig rig(card, sim::RigParams(), [&now] { return now; });
        sim::RigPanel panel(rig);
        rig.Press(sim::Button::kStart);
        now = 0.5;
        card.WriteRegister(dqx7460::kRegDigitalOut,
                           0x00FF & ~(sim::kOutAlarmLow | sim::kOutBroken));
        rig.Update();
        panel.Refresh();
        for (int i = 0; i < sim::kOutputLines; ++i) {
            auto* lamp = panel.findChild<QLabel*>(QString("lamp%1").arg(i));
            QVERIFY(lamp != nullptr);
            QCOMPARE(lamp->property("active").toBool(), i == 2 || i == 3);
        }
        QCOMPARE(panel.findChild<QLabel*>("position")->text(), QString("1.00 mm"));
        QCOMPARE(panel.findChild<QLabel*>("specimen")->text(), QString("elastic"));
    }

    // Chinese by the locale or by --lang, English otherwise; every text the panel shows then
    // comes from the translation, and none is left in English.
    void panelSpeaksChineseByTheSameRule() {
        QVERIFY(sim::PanelInChinese("zh", QLocale(QLocale::English)));
        QVERIFY(sim::PanelInChinese("", QLocale(QLocale::Chinese, QLocale::China)));
        QVERIFY(!sim::PanelInChinese("en", QLocale(QLocale::Chinese, QLocale::China)));
        QVERIFY(!sim::PanelInChinese("", QLocale(QLocale::German)));

        QVERIFY(sim::InstallPanelLanguage(*QCoreApplication::instance(), "zh"));
        sim::Card card;
        double now = 0.0;
        sim::Rig rig(card, sim::RigParams(), [&now] { return now; });
        sim::RigPanel panel(rig);
        QCOMPARE(panel.windowTitle(), QStringLiteral("DQX7460 试验台"));
        QCOMPARE(panel.findChild<QPushButton*>("start")->text(), QStringLiteral("启动"));
        QCOMPARE(panel.findChild<QLabel*>("specimen")->text(), QStringLiteral("弹性"));
        QVERIFY(panel.findChild<QLabel*>("force")->text().contains(QStringLiteral("峰值")));
        const QRegularExpression english(QStringLiteral("[A-Za-z]{3,}"));
        for (const QLabel* label : panel.findChildren<QLabel*>()) {
            QString text = label->text();
            text.remove(QStringLiteral("DQX7460"));
            QVERIFY2(!english.match(text).hasMatch(), qPrintable(text));
        }
        for (const QPushButton* button : panel.findChildren<QPushButton*>())
            QVERIFY2(!english.match(button->text()).hasMatch(), qPrintable(button->text()));
        for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
            QCoreApplication::removeTranslator(translator);
    }

    // The translation file has no entry left unfinished and none that the sources dropped.
    void translationFileIsComplete() {
        QFile ts(QStringLiteral(PANEL_TS_FILE));
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&ts);
        int messages = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QStringLiteral("message")) ++messages;
            if (xml.name() == QStringLiteral("translation")) {
                const QString type = xml.attributes().value(QStringLiteral("type")).toString();
                QVERIFY2(type.isEmpty(), qPrintable(type));
                QVERIFY(!xml.readElementText().isEmpty());
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 20);
    }
};

QTEST_MAIN(RigPanelTest)
#include "panel_test.moc"
