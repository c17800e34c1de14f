// The specimen dialog "试样参数": what it shows, what it refuses and what it stores.
#include "settings/specimen_dialog.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <utility>
#include <vector>

#include "common/message_box.h"
#include "settings/data_folder.h"
#include "settings/specimen.h"

class SpecimenDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        AnchorDataFolder();
        std::string error;
        QVERIFY(EnsureDataFolder(&error));
        QFile::remove(QString::fromStdString(SpecimenFilePath()));
        specimen = SpecimenDims();
        m_boxes.clear();
        SetMessageBoxHandler([this](const QString& text, const QString& caption) {
            m_boxes.emplace_back(text, caption);
        });
    }
    void cleanup() {
        SetMessageBoxHandler({});
        QDir::setCurrent(m_previous);
    }

    void showsTheDimensionsInForce() {
        specimen = {12.5, std::nullopt};
        CSpecimenDlg dialog(specimen, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("试样参数"));
        QCOMPARE(Edit(dialog, "S0")->text(), QStringLiteral("12.5"));
        QCOMPARE(Edit(dialog, "L0")->text(), QString());
    }

    void refusesWhatIsNotAPositiveNumber() {
        const struct {
            const char* s0;
            const char* l0;
            const char* named;
        } cases[] = {{"abc", "", "横截面积 S0"}, {"0", "50", "横截面积 S0"},
                     {"-2", "", "横截面积 S0"},  {"1,5", "", "横截面积 S0"},
                     {"", "inf", "标距 L0"},     {"10", "-50", "标距 L0"},
                     {"10", "5 mm", "标距 L0"}};
        for (const auto& c : cases) {
            m_boxes.clear();
            CSpecimenDlg dialog(specimen, nullptr);
            dialog.show();
            Edit(dialog, "S0")->setText(QString::fromUtf8(c.s0));
            Edit(dialog, "L0")->setText(QString::fromUtf8(c.l0));
            dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
            QCOMPARE(m_boxes.size(), std::size_t{1});
            QCOMPARE(m_boxes[0].second, QStringLiteral("设置错误"));
            QVERIFY2(m_boxes[0].first.contains(QString::fromUtf8(c.named)),
                     qPrintable(m_boxes[0].first));
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), 0);
        }
        QVERIFY(!specimen.area && !specimen.gaugeLength);
        QVERIFY(!QFile::exists(QString::fromStdString(SpecimenFilePath())));
    }

    void storesAcceptedDimensionsAndCancelKeepsThem() {
        {
            CSpecimenDlg dialog(specimen, nullptr);
            dialog.show();
            Edit(dialog, "S0")->setText(QStringLiteral(" 12.5 "));
            Edit(dialog, "L0")->setText(QString());
            dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
            QVERIFY(m_boxes.empty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(specimen.area, std::optional<double>(12.5));
        QVERIFY(!specimen.gaugeLength);
        QFile file(QString::fromStdString(SpecimenFilePath()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Specimen]\nS0=12.5\nL0=\n"));

        CSpecimenDlg dialog(specimen, nullptr);
        dialog.show();
        Edit(dialog, "S0")->setText(QStringLiteral("99"));
        dialog.findChild<QPushButton*>(QStringLiteral("2"))->click();
        QCOMPARE(specimen.area, std::optional<double>(12.5));
    }

    // Su is typed in after the test; the offset of Rp is kept when it is not 0.2 %, and an
    // empty offset is 0.2 % again.
    void storesTheFinalCrossSectionAndTheProofOffset() {
        specimen = {12.5, 50.0};
        {
            CSpecimenDlg dialog(specimen, nullptr);
            dialog.show();
            QCOMPARE(Edit(dialog, "Rp")->text(), QStringLiteral("0.2"));
            Edit(dialog, "Su")->setText(QStringLiteral("7.5"));
            Edit(dialog, "Rp")->setText(QStringLiteral("0.1"));
            dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(specimen.finalArea, std::optional<double>(7.5));
        QCOMPARE(specimen.proofOffset, 0.1);
        QFile file(QString::fromStdString(SpecimenFilePath()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Specimen]\nS0=12.5\nL0=50\nSu=7.5\nRp=0.1\n"));
        file.close();
        QCOMPARE(ParseSpecimenText("[Specimen]\nS0=12.5\nL0=50\nSu=7.5\nRp=0.1\n").proofOffset,
                 0.1);

        CSpecimenDlg dialog(specimen, nullptr);
        dialog.show();
        Edit(dialog, "Rp")->setText(QString());
        Edit(dialog, "Su")->setText(QStringLiteral("-1"));
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
        QCOMPARE(m_boxes.size(), std::size_t{1});
        QVERIFY(m_boxes[0].first.contains(QStringLiteral("断后最小横截面积 Su")));
        Edit(dialog, "Su")->setText(QString());
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
        QCOMPARE(specimen.proofOffset, 0.2);
        QVERIFY(!specimen.finalArea);

        // The load train's compliance: empty corrects nothing, a number is kept, and what is
        // no positive number is refused with its name.
        CSpecimenDlg again(specimen, nullptr);
        again.show();
        QCOMPARE(Edit(again, "C")->text(), QString());
        Edit(again, "C")->setText(QStringLiteral("x"));
        again.findChild<QPushButton*>(QStringLiteral("1"))->click();
        QVERIFY(m_boxes.back().first.contains(QStringLiteral("加载链柔度 C")));
        Edit(again, "C")->setText(QStringLiteral("0.04"));
        again.findChild<QPushButton*>(QStringLiteral("1"))->click();
        QCOMPARE(specimen.compliance, std::optional<double>(0.04));
    }

    // Lu beside Su; the values carried over from the previous specimen are named, and OK
    // takes them as entered for this one.
    void storesTheFinalGaugeLengthAndNamesCarriedValues() {
        specimen = {12.5, 50.0};
        specimen.carriedOver = true;
        {
            CSpecimenDlg dialog(specimen, nullptr);
            dialog.show();
            auto* carried = dialog.findChild<QLabel*>(QStringLiteral("carried"));
            QVERIFY(carried->isVisible());
            QCOMPARE(carried->text(), QStringLiteral("S0、L0 沿用上一试样"));
            QCOMPARE(Edit(dialog, "Lu")->text(), QString());
            Edit(dialog, "Lu")->setText(QStringLiteral("-3"));
            dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
            QCOMPARE(m_boxes.size(), std::size_t{1});
            QVERIFY(m_boxes[0].first.contains(QStringLiteral("断后标距 Lu")));
            Edit(dialog, "Lu")->setText(QStringLiteral("57.5"));
            dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(specimen.finalGaugeLength, std::optional<double>(57.5));
        QVERIFY(!specimen.carriedOver);
        QFile file(QString::fromStdString(SpecimenFilePath()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Specimen]\nS0=12.5\nL0=50\nLu=57.5\n"));

        CSpecimenDlg dialog(specimen, nullptr);
        dialog.show();
        QCOMPARE(Edit(dialog, "Lu")->text(), QStringLiteral("57.5"));
        QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("carried"))->isVisible());
    }

  private:
    static QLineEdit* Edit(QDialog& dialog, const char* name) {
        return dialog.findChild<QLineEdit*>(QString::fromUtf8(name));
    }

    SpecimenDims specimen;
    QTemporaryDir m_dir;
    QString m_previous;
    std::vector<std::pair<QString, QString>> m_boxes;
};

QTEST_MAIN(SpecimenDialogTest)
#include "specimen_dialog_test.moc"
