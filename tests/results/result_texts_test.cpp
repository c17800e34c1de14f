// The results in English: the engine's templates keep the files' Chinese bytes, every one has
// its English, the notes of real result sets come out in English with their numbers, and the
// results window and the calibration dialog show no Chinese but the test's own data.
#include "results/result_texts.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTranslator>
#include <QtTest>
#include <memory>
#include <vector>

#include "printing/report_page.h"
#include "printing/results_page.h"
#include "records/records_csv.h"
#include "records/workbook.h"
#include "results/calibration_dialog.h"
#include "results/result_translation.h"
#include "results/results_engine.h"
#include "results/results_window.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

bool HasChinese(const QString& text) {
    static const QRegularExpression han(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(han);
}

// A test of 10 N/mm to 20 N, 1 N/mm to 30 N, then down to the break.
ResultSet BilinearSet(const SpecimenDims& specimen, const ChannelUnits& units) {
    ResultSet set;
    set.testName = "钢丝 B-03";
    set.startTime = "2025-03-07-14:05:09";
    set.forceName = "Tension";
    set.displacementName = "Stroke";
    set.units = units;
    set.specimen = specimen;
    for (int i = 0; i <= 1400; ++i) {
        const double d = i * 0.01;
        set.curve.force.push_back(d <= 2 ? 10 * d : d <= 12 ? 20 + (d - 2) : 30 - 2.5 * (d - 12));
        set.curve.displacement.push_back(d);
        set.curve.time.push_back(i * 0.03);
    }
    set.curve.breakRecord = 1401;
    EvaluateResultSet(set);
    return set;
}

}  // namespace

class ResultTextsTest : public QObject {
    Q_OBJECT

  private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;

  private slots:
    void initTestCase() {
        for (const QString& name :
             QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("velmora_*_en.qm")})) {
            auto translator = std::make_unique<QTranslator>();
            QVERIFY(translator->load(QStringLiteral(":/i18n/") + name));
            QVERIFY(QCoreApplication::installTranslator(translator.get()));
            m_translators.push_back(std::move(translator));
        }
        QVERIFY(m_translators.size() >= 4);
    }

    // The Chinese the files keep is built from the templates byte for byte.
    void templatesFillTheirPlaces() {
        QCOMPARE(FillText(result_text::kBreakAtNote, {"274"}), std::string("断裂于第 274 条记录"));
        QCOMPARE(FillText(result_text::kFitNotTiedNote, {"10 %–40 %"}),
                 std::string("弹性段拟合未能取在 Rp 或 ReH 的 10 %–40 %：取在 Fm 的 10 %–40 %"));
        // A "%" without a digit, and a place without its argument, stay as they are.
        QCOMPARE(FillText("A %–%2 %1", {"x"}), std::string("A %–%2 x"));
    }

    void everyTemplateHasEnglish() {
        for (const char* source : ResultTextTemplates()) {
            const QString english = QCoreApplication::translate("ResultTexts", source);
            QVERIFY2(english != QString::fromUtf8(source), source);
            QVERIFY2(!HasChinese(english), source);
        }
    }

    // Notes with numbers and names inside (ranges, a list of values, a date) translate whole.
    void notesComeOutInEnglishWithTheirNumbers() {
        SpecimenDims specimen;
        specimen.area = 1e-4;  // strengths no material reaches
        specimen.gaugeLength = 50.0;
        specimen.finalArea = 1.0;  // above S0
        specimen.compliance = 0.004;
        specimen.complianceDate = "2025-03-01 09:30";
        const ResultSet set = BilinearSet(specimen, {});
        std::vector<std::string> notes = ResultNotes(set);
        notes.push_back(BreakNoteText(set.results));
        QStringList english;
        for (const std::string& note : notes) {
            const QString text = TranslatedResultText(note);
            QVERIFY2(!HasChinese(text), note.c_str());
            english << text;
        }
        const QString all = english.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(QStringLiteral("Fracture at record ")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("load train compliance 0.004 mm/N (calibrated "
                                             "2025-03-01 09:30)")),
                 qPrintable(all));
        QVERIFY2(all.contains(QRegularExpression(
                     QStringLiteral("Tensile strength Rm \\d+ MPa, .*Modulus of elasticity E "
                                    "\\d+ MPa beyond what any material reaches"))),
                 qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("Final cross-section Su above S0")), qPrintable(all));
        QVERIFY2(all.contains(QRegularExpression(
                     QStringLiteral("Elastic fit: force [0-9.]+–[0-9.]+ N \\(10 %–40 % of "))),
                 qPrintable(all));

        // Units the engine cannot convert, no S0 or L0, no break.
        ResultSet other = BilinearSet({}, {"lbf", "in"});
        other.curve.breakRecord = 0;
        EvaluateResultSet(other);
        for (const std::string& note : ResultNotes(other)) {
            const QString text = TranslatedResultText(note);
            QVERIFY2(!HasChinese(text), note.c_str());
        }
        QVERIFY(
            TranslatedResultText(other.results.notes.front()).contains(QStringLiteral("“lbf”")));
        // Text that is no template comes back as it is.
        QCOMPARE(TranslatedResultText("钢丝 B-03"), QStringLiteral("钢丝 B-03"));
    }

    void resultsWindowShowsOnlyDataInChinese() {
        SpecimenDims specimen;
        specimen.area = 10.0;
        specimen.gaugeLength = 50.0;
        CResultsWnd window;
        window.ShowResults(BilinearSet(specimen, {}), "王工");
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!HasChinese(window.windowTitle()));
        auto* table = window.findChild<QTableWidget*>(QStringLiteral("table"));
        QVERIFY(table != nullptr);
        for (int c = 0; c < table->columnCount(); ++c)
            QVERIFY(!HasChinese(table->horizontalHeaderItem(c)->text()));
        for (int r = 0; r < table->rowCount(); ++r) {
            for (int c = 0; c < table->columnCount(); ++c) {
                const QString text = table->item(r, c)->text();
                if (text == QStringLiteral("钢丝 B-03") || text == QStringLiteral("王工")) continue;
                QVERIFY2(!HasChinese(text), qPrintable(text));
            }
        }
        QCOMPARE(table->item(7, 0)->text(), QStringLiteral("Max force Fm"));
        const QString notes = window.findChild<QLabel*>(QStringLiteral("breakNote"))->text();
        QVERIFY2(!HasChinese(notes), qPrintable(notes));
        for (QPushButton* button : window.findChildren<QPushButton*>())
            QVERIFY2(!HasChinese(button->text()), qPrintable(button->text()));
    }

    // The CSV beside the archive and the workbook with its 结果 sheet do not follow the language.
    void filesAreTheSameBytesInBothLanguages() {
        Settings settings;
        settings.SetDefaults();
        settings.Parse();
        TestRun run;
        run.Reset();
        run.g_strStartTime = "2025-03-07-14:05:09";
        const ResultSet model = BilinearSet({}, {});
        for (std::size_t i = 0; i < model.curve.force.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            run.g_strRecord0[n] = std::to_string(model.curve.force[i]);
            run.g_strRecord1[n] = std::to_string(model.curve.displacement[i]);
            run.g_dRecordTime[n] = model.curve.time[i];
        }
        run.g_nRecordCount = static_cast<int>(model.curve.force.size());
        run.g_nBreakRecord = run.g_nRecordCount;
        SpecimenDims specimen;
        specimen.area = 10.0;
        specimen.gaugeLength = 50.0;
        const auto files = [&](std::string* csv, std::string* workbook) {
            const ResultSet set = ResultsOfCurrentTest(settings, run, specimen);
            *csv = ResultsCsvBlock(set) + RecordsCsvText(settings, run);
            std::string error;
            QVERIFY2(WorkbookBytes(settings, run, set, workbook, &error), error.c_str());
        };
        // The translators of initTestCase are installed: English first, then without them.
        std::string englishCsv, englishWorkbook, chineseCsv, chineseWorkbook;
        files(&englishCsv, &englishWorkbook);
        for (const auto& translator : m_translators)
            QCoreApplication::removeTranslator(translator.get());
        files(&chineseCsv, &chineseWorkbook);
        for (const auto& translator : m_translators)
            QCoreApplication::installTranslator(translator.get());
        QVERIFY(englishCsv == chineseCsv);
        QVERIFY(englishWorkbook == chineseWorkbook);
        // Each result keeps its Chinese label and its symbol.
        QVERIFY(englishCsv.find("结果,抗拉强度 Rm,") != std::string::npos);
        QVERIFY(englishCsv.find("结果,最大力 Fm,") != std::string::npos);
        QVERIFY(englishCsv.find("说明,断裂于第 ") != std::string::npos);
    }

    // Report page 2 keeps its columns for the Chinese names and widens the names' column
    // for the English ones, which would otherwise run into the values.
    void reportPageNamesFitTheirColumn() {
        QImage page(100, 100, QImage::Format_RGB32);
        page.setDotsPerMeterX(qRound(kReportDpi / 0.0254));
        page.setDotsPerMeterY(qRound(kReportDpi / 0.0254));
        QPainter painter(&page);
        painter.setFont(CreateReportFonts()->body);
        const QFontMetrics metrics = painter.fontMetrics();
        const ResultSet set = BilinearSet(SpecimenDims{0.05, 100.0}, ChannelUnits{});
        const std::vector<ResultLine> english = ResultLines(set, "", true);
        for (const auto& translator : m_translators)
            QCoreApplication::removeTranslator(translator.get());
        const std::vector<ResultLine> chinese = ResultLines(set, "", true);
        for (const auto& translator : m_translators)
            QCoreApplication::installTranslator(translator.get());

        QCOMPARE(NameColumnRight(chinese, metrics), 1900);
        const int right = NameColumnRight(english, metrics);
        QVERIFY(right > 1900);
        for (const ResultLine& line : english)
            QVERIFY2(350 + 80 + metrics.horizontalAdvance(line.name) <= right,
                     qPrintable(line.name));
    }

    void calibrationDialogInEnglish() {
        SpecimenDims specimen;
        CCalibrationDlg dialog(BilinearSet({}, {}), specimen, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!HasChinese(dialog.windowTitle()));
        for (QLabel* label : dialog.findChildren<QLabel*>())
            QVERIFY2(!HasChinese(label->text()), qPrintable(label->text()));
        // The long English steps wrap: the dialog is about 500 px wide, where a step's whole
        // line would make it wider than the main window it opens over.
        QVERIFY2(dialog.width() <= 700, qPrintable(QString::number(dialog.width())));
        // A stiffness that is no number is refused in English too.
        dialog.findChild<QLineEdit*>(QStringLiteral("stiffness"))->setText(QStringLiteral("x"));
        QVERIFY(!HasChinese(dialog.findChild<QLabel*>(QStringLiteral("fit"))->text()));
        QVERIFY(!HasChinese(
            dialog.findChild<QLineEdit*>(QStringLiteral("stiffness"))->placeholderText()));
    }
};

QTEST_MAIN(ResultTextsTest)
#include "result_texts_test.moc"
