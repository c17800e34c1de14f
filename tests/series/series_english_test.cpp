// The series window and 新建系列 in English: no Chinese but the series' own data, the
// statistics named in English, and the files the same bytes as with Chinese: the tables, and
// the method chosen from the list stored as the list writes it in Chinese.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <memory>

#include "../common/english_texts.h"
#include "../common/scratch_folder.h"
#include "common/message_box.h"
#include "records/archive_ini.h"
#include "series/series_dialog.h"
#include "series/series_session.h"
#include "series/series_window.h"
#include "series_fixture.h"

namespace {

const std::string kSeries = "钢丝 B";
const QStringList kData = {QStringLiteral("钢丝 B"), QStringLiteral("断于标距外"),
                           QStringLiteral("方法 B")};

QByteArray Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class SeriesEnglishTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        m_folder = std::make_unique<ScratchFolder>("series-english");
        QVERIFY(m_folder->Made());
        std::string error;
        for (const ModelSpecimen& s :
             {ModelSpecimen{1, 38, ""}, ModelSpecimen{2, 40, "断于标距外", 1601, false},
              ModelSpecimen{3, 41, ""}})
            QVERIFY2(WriteModelSpecimen(Folder(), kSeries, s, &error), error.c_str());
        SeriesInfo info;
        info.name = kSeries;
        info.material = "Q235";
        info.method = "方法 B";
        info.operatorName = "Tolvane";
        QVERIFY2(WriteSeriesFile(Folder(), info, &error), error.c_str());
        SetMessageBoxHandler([](const QString&, const QString&) {});
    }
    void cleanup() { SetMessageBoxHandler({}); }

    void windowShowsOnlyTheSeriesDataInChinese() {
        EnglishTexts english;
        QVERIFY(english.Count() >= 4);
        CSeriesWnd window(Folder(), kSeries);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!HasChineseBesides(window.windowTitle(), kData));
        for (QLabel* label : window.findChildren<QLabel*>())
            QVERIFY2(!HasChineseBesides(label->text(), kData), qPrintable(label->text()));
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
            QVERIFY2(!HasChineseBesides(button->text(), kData), qPrintable(button->text()));
        auto* table = window.findChild<QTableWidget*>(QStringLiteral("table"));
        for (int c = 0; c < table->columnCount(); ++c) {
            const QString header = table->horizontalHeaderItem(c)->text();
            QVERIFY2(!HasChineseBesides(header, kData), qPrintable(header));
        }
        for (int r = 0; r < table->rowCount(); ++r) {
            for (int c = 0; c < table->columnCount(); ++c) {
                const QString text = table->item(r, c)->text();
                QVERIFY2(!HasChineseBesides(text, kData), qPrintable(text));
            }
        }
        QCOMPARE(table->item(4, 0)->text(), QStringLiteral("Mean"));
        // The excluded specimen without S0 and L0 is named in the note, in English.
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("problems"))
                    ->text()
                    .contains(QStringLiteral("钢丝 B-02 has no S0, L0")));
    }

    void tablesAreTheSameBytesInBothLanguages() {
        const std::string csv = Folder() + kSeries + ".series.csv";
        const std::string xls = Folder() + kSeries + ".series.xls";
        QByteArray chineseCsv, chineseXls;
        {
            CSeriesWnd window(Folder(), kSeries);
            QVERIFY(window.SaveTables());
            chineseCsv = Bytes(csv);
            chineseXls = Bytes(xls);
        }
        QVERIFY(chineseCsv.contains(QByteArray("平均值")));
        QVERIFY(QFile::remove(QString::fromStdString(csv)));
        QVERIFY(QFile::remove(QString::fromStdString(xls)));
        EnglishTexts english;
        CSeriesWnd window(Folder(), kSeries);
        QVERIFY(window.SaveTables());
        QCOMPARE(Bytes(csv), chineseCsv);
        QCOMPARE(Bytes(xls), chineseXls);
    }

    void dialogInEnglishStoresTheMethodInChinese() {
        EnglishTexts english;
        SeriesSession session;
        CSeriesDlg dialog(session, Folder() + "new/", "Tolvane", nullptr);
        QVERIFY(!HasChineseBesides(dialog.windowTitle()));
        for (QLabel* label : dialog.findChildren<QLabel*>())
            QVERIFY2(!HasChineseBesides(label->text()), qPrintable(label->text()));
        auto* method = dialog.findChild<QComboBox*>(QStringLiteral("method"));
        for (int i = 0; i < method->count(); ++i)
            QVERIFY2(!HasChineseBesides(method->itemText(i)), qPrintable(method->itemText(i)));
        QVERIFY(QDir().mkpath(QString::fromStdString(Folder() + "new")));
        dialog.findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("S1"));
        method->setCurrentIndex(1);
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        SeriesInfo stored;
        QVERIFY(ReadSeriesFile(SeriesFilePath(Folder() + "new/", "S1"), &stored, nullptr));
        QCOMPARE(stored.method, std::string("GB/T 228.1 方法 B（应力速率控制）"));
    }

  private:
    std::string Folder() const { return m_folder->Path() + "/"; }
    std::unique_ptr<ScratchFolder> m_folder;
};

QTEST_MAIN(SeriesEnglishTest)
#include "series_english_test.moc"
