// The dialog "引伸计": what it refuses, naming the field, what its OK stores and writes, and
// its zero button.
#include "settings/extensometer_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <utility>
#include <vector>

#include "common/message_box.h"
#include "settings/data_folder.h"

class ExtensometerDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        AnchorDataFolder();
        std::string error;
        QVERIFY(EnsureDataFolder(&error));
        QFile::remove(QString::fromStdString(ExtensometerFilePath()));
        m_settings = ExtensometerSettings{};
        m_boxes.clear();
        SetMessageBoxHandler([this](const QString& text, const QString& caption) {
            m_boxes.emplace_back(text, caption);
        });
    }
    void cleanup() {
        SetMessageBoxHandler({});
        QDir::setCurrent(m_previous);
    }

    void refusesABadValueNamingItsField() {
        const struct {
            const char* edit;
            const char* text;
            const char* named;
        } cases[] = {{"gaugeLength", "0", "标距 Le"},
                     {"gaugeLength", "-5", "标距 Le"},
                     {"gaugeLength", "abc", "标距 Le"},
                     {"gaugeLength", "", "标距 Le"},
                     {"coefficient", "0", "系数"},
                     {"zero", "1,5", "零点"},
                     {"removalForcePercent", "100", "取下力"}};
        for (const auto& c : cases) {
            m_boxes.clear();
            CExtensometerDlg dialog(m_settings, {}, nullptr);
            Edit(dialog, c.edit)->setText(QString::fromUtf8(c.text));
            Ok(dialog);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(m_boxes.size(), std::size_t{1});
            QVERIFY2(m_boxes[0].first.contains(QString::fromUtf8(c.named)),
                     qPrintable(m_boxes[0].first));
            QCOMPARE(m_boxes[0].second, QStringLiteral("设置错误"));
        }
        QCOMPARE(m_settings.gaugeLength, 50.0);
        QVERIFY(!QFile::exists(QString::fromStdString(ExtensometerFilePath())));
    }

    void okStoresAndWritesTheSettings() {
        CExtensometerDlg dialog(m_settings, {}, nullptr);
        dialog.findChild<QCheckBox*>(QStringLiteral("enabled"))->setChecked(true);
        dialog.findChild<QSpinBox*>(QStringLiteral("channel"))->setValue(4);
        Edit(dialog, "gaugeLength")->setText(QStringLiteral("25"));
        dialog.findChild<QComboBox*>(QStringLiteral("unit"))->setCurrentIndex(1);
        auto* removal = dialog.findChild<QComboBox*>(QStringLiteral("removal"));
        removal->setCurrentIndex(1);
        QVERIFY(Edit(dialog, "removalStrain")->isEnabled());
        QVERIFY(!Edit(dialog, "removalForcePercent")->isEnabled());
        Edit(dialog, "removalStrain")->setText(QStringLiteral("1.5"));
        Ok(dialog);
        QVERIFY(m_boxes.empty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(m_settings.enabled);
        QCOMPARE(m_settings.channel, 4);
        QCOMPARE(m_settings.gaugeLength, 25.0);
        QCOMPARE(m_settings.unit, std::string("%"));
        QCOMPARE(m_settings.removal, ExtensometerRemoval::AtStrain);
        QCOMPARE(m_settings.removalStrain, 1.5);
        ExtensometerSettings loaded;
        std::string error;
        QVERIFY(LoadExtensometerFile(loaded, &error));
        QCOMPARE(loaded.channel, 4);
        QCOMPARE(loaded.removalStrain, 1.5);
    }

    void zeroButtonTakesTheReadingOfTheChosenChannel() {
        int asked = -1;
        CExtensometerDlg dialog(
            m_settings,
            [&asked](int channel) -> std::optional<double> {
                asked = channel;
                return 0.0123456789;
            },
            nullptr);
        dialog.findChild<QSpinBox*>(QStringLiteral("channel"))->setValue(9);
        dialog.findChild<QPushButton*>(QStringLiteral("takeZero"))->click();
        QCOMPARE(asked, 9);
        QCOMPARE(Edit(dialog, "zero")->text(), QStringLiteral("0.012346"));

        CExtensometerDlg unread(
            m_settings, [](int) { return std::optional<double>(); }, nullptr);
        unread.findChild<QPushButton*>(QStringLiteral("takeZero"))->click();
        QCOMPARE(m_boxes.size(), std::size_t{1});
        QCOMPARE(Edit(unread, "zero")->text(), QStringLiteral("0"));
    }

  private:
    static QLineEdit* Edit(QDialog& dialog, const char* name) {
        return dialog.findChild<QLineEdit*>(QString::fromUtf8(name));
    }
    static void Ok(QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
    }

    QTemporaryDir m_dir;
    QString m_previous;
    ExtensometerSettings m_settings;
    std::vector<std::pair<QString, QString>> m_boxes;
};

QTEST_MAIN(ExtensometerDialogTest)
#include "extensometer_dialog_test.moc"
