// The series window over a data folder of five real saved tests of known maximum force, one
// of them excluded: its table and statistics against the stored results, the overlay's curves
// shown, hidden and dashed, the exported images, the report and the live update.
#include "series/series_window.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QXmlStreamReader>
#include <QtTest>
#include <fstream>
#include <memory>

#include "../common/scratch_folder.h"
#include "common/message_box.h"
#include "records/saved_test.h"
#include "series/series_chart.h"
#include "series/series_export.h"
#include "series/series_report.h"
#include "series/series_stats.h"
#include "series_fixture.h"

namespace {

const std::string kSeries = "钢丝 B";

int CountColour(const QImage& image, const QColor& colour) {
    int found = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) found += image.pixelColor(x, y) == colour;
    return found;
}

// The curves of an SVG drawing: each path element's stroke colour and whether it is dashed,
// as the group around it gives them.
struct SvgCurve {
    QString stroke;
    bool dashed;
};
std::vector<SvgCurve> SvgCurves(const QString& path, bool* wellFormed) {
    QFile file(path);
    std::vector<SvgCurve> curves;
    *wellFormed = file.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&file);
    std::vector<SvgCurve> groups = {{QString(), false}};
    while (*wellFormed && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            SvgCurve style = groups.back();
            const QXmlStreamAttributes a = xml.attributes();
            if (a.hasAttribute(QStringLiteral("stroke")))
                style.stroke = a.value(QStringLiteral("stroke")).toString();
            if (a.hasAttribute(QStringLiteral("stroke-dasharray")))
                style.dashed =
                    a.value(QStringLiteral("stroke-dasharray")) != QStringLiteral("none");
            groups.push_back(style);
            if (xml.name() == QStringLiteral("path")) curves.push_back(style);
        } else if (xml.isEndElement()) {
            groups.pop_back();
        }
    }
    *wellFormed = *wellFormed && !xml.hasError();
    return curves;
}

}  // namespace

class SeriesWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void tableAndStatisticsAreThoseOfTheStoredResults();
    void hiddenCurveLeavesTheOverlay();
    void imagesExportAndTheExcludedCurveIsDashed();
    void reportAndTablesAreWritten();
    void newSpecimenAppearsLive();
    void longTableGoesOnWithItsHeader();

  private:
    std::string Folder() const { return folder_->Path() + "/"; }
    std::unique_ptr<ScratchFolder> folder_;
    std::vector<QString> messages_;
};

void SeriesWindowTest::init() {
    folder_ = std::make_unique<ScratchFolder>("series-window");
    QVERIFY(folder_->Made());
    std::string error;
    for (const ModelSpecimen& s :
         {ModelSpecimen{1, 38, ""}, ModelSpecimen{2, 40, ""}, ModelSpecimen{3, 41, "断于标距外"},
          ModelSpecimen{4, 39, ""}, ModelSpecimen{5, 42, ""}})
        QVERIFY2(WriteModelSpecimen(Folder(), kSeries, s, &error), error.c_str());
    SeriesInfo info;
    info.name = kSeries;
    info.material = "Q235";
    info.method = "方法 B";
    info.operatorName = "Tolvane";
    QVERIFY2(WriteSeriesFile(Folder(), info, &error), error.c_str());
    messages_.clear();
    SetMessageBoxHandler(
        [this](const QString& text, const QString&) { messages_.push_back(text); });
}

void SeriesWindowTest::tableAndStatisticsAreThoseOfTheStoredResults() {
    CSeriesWnd window(Folder(), kSeries);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.findChild<QLabel*>(QStringLiteral("info"))->text().contains("Q235"));
    auto* table = window.findChild<QTableWidget*>(QStringLiteral("table"));
    QVERIFY(table != nullptr);
    QCOMPARE(table->rowCount(), 5 + kStatisticLines);

    // The stored results, each test read on its own.
    std::vector<SavedTest> stored(5);
    for (int i = 0; i < 5; ++i) {
        std::string error;
        const std::string archive = Folder() + kSeries + "-0" + std::to_string(i + 1) + ".dat";
        QVERIFY2(LoadSavedTest(archive, SpecimenDims{}, &stored[i], &error), error.c_str());
    }
    const std::vector<ResultRow>& names = stored[0].set.rows;
    QCOMPARE(table->columnCount(), static_cast<int>(names.size()) + 2);
    for (std::size_t c = 0; c < names.size(); ++c) {
        QVERIFY(table->horizontalHeaderItem(static_cast<int>(c) + 2)
                    ->text()
                    .startsWith(QString::fromStdString(names[c].name)));
        std::vector<double> valid;
        for (int i = 0; i < 5; ++i) {
            const std::optional<double> value = stored[i].set.rows[c].value;
            QCOMPARE(table->item(i, static_cast<int>(c) + 2)->text(),
                     QString::fromStdString(ResultValueText(value)));
            if (i != 2 && value) valid.push_back(*value);
        }
        const SampleStatistics s = StatisticsOf(valid);
        for (int line = 0; line < kStatisticLines; ++line)
            QCOMPARE(table->item(5 + line, static_cast<int>(c) + 2)->text(),
                     QString::fromStdString(ResultValueText(StatisticValue(s, line))));
    }
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("钢丝 B-01"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("断于标距外"));
    QCOMPARE(table->item(2, 2)->foreground().color(), QColor(128, 128, 128));
    QVERIFY(table->item(1, 2)->foreground().color() != QColor(128, 128, 128));
    QCOMPARE(table->item(5, 0)->text(), QStringLiteral("n"));
    QCOMPARE(table->item(5, 2)->text(), QStringLiteral("4"));
    // The mean of 38, 40, 39 and 42.
    QCOMPARE(table->item(6, 2)->text(), QStringLiteral("39.75"));
}

void SeriesWindowTest::hiddenCurveLeavesTheOverlay() {
    CSeriesWnd window(Folder(), kSeries);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* chart = window.findChild<CSeriesOverlayCtrl*>(QStringLiteral("overlay"));
    QVERIFY(chart != nullptr);
    chart->repaint();
    for (int c = 0; c < 5; ++c) QVERIFY(CountColour(chart->LastFrame(), SpecimenColour(c)) > 50);

    auto* box = window.findChild<QCheckBox*>(QStringLiteral("curve1"));
    QVERIFY(box != nullptr && box->isChecked());
    box->click();
    QVERIFY(!window.Shown()[1]);
    chart->repaint();
    QCOMPARE(CountColour(chart->LastFrame(), SpecimenColour(1)), 0);
    QVERIFY(CountColour(chart->LastFrame(), SpecimenColour(0)) > 50);
    box->click();
    chart->repaint();
    QVERIFY(CountColour(chart->LastFrame(), SpecimenColour(1)) > 50);

    // The curves are reduced again for a new size, and stay within the plot.
    chart->resize(chart->width() + 100, chart->height());
    chart->repaint();
    const OverlayLayout layout = LayOutOverlay(window.Overlay(), chart->rect(), CurveScale{});
    for (const auto& curve : chart->Reduced()) {
        QVERIFY(!curve.empty());
        for (const PlotPoint& p : curve) {
            QVERIFY(p.x >= layout.plot.left() - 1 && p.x <= layout.plot.right() + 1);
            QVERIFY(p.y >= layout.plot.top() - 1 && p.y <= layout.plot.bottom() + 1);
        }
    }
}

void SeriesWindowTest::imagesExportAndTheExcludedCurveIsDashed() {
    CSeriesWnd window(Folder(), kSeries);
    window.SetCurveShown(0, false);
    const QString png = QString::fromStdString(*folder_ / "overlay.png");
    const QString svg = QString::fromStdString(*folder_ / "overlay.svg");
    QVERIFY(window.ExportImage(png));
    QVERIFY(window.ExportImage(svg));
    QImage image;
    QVERIFY(image.load(png));
    QCOMPARE(image.size(), QSize(1200, 800));
    QCOMPARE(CountColour(image, SpecimenColour(0)), 0);
    QVERIFY(CountColour(image, SpecimenColour(4)) > 100);

    bool wellFormed = false;
    const std::vector<SvgCurve> curves = SvgCurves(svg, &wellFormed);
    QVERIFY(wellFormed);
    QCOMPARE(static_cast<int>(curves.size()), 4);
    for (int c = 1; c < 5; ++c) {
        const QString colour = SpecimenColour(c).name();
        const auto it = std::find_if(curves.begin(), curves.end(),
                                     [&](const SvgCurve& s) { return s.stroke == colour; });
        QVERIFY2(it != curves.end(), qPrintable(colour));
        QCOMPARE(it->dashed, c == 2);
    }
    QVERIFY(messages_.empty());
    QVERIFY(!window.ExportImage(QString::fromStdString(*folder_ / "none/overlay.png")));
    QCOMPARE(static_cast<int>(messages_.size()), 1);
}

void SeriesWindowTest::reportAndTablesAreWritten() {
    CSeriesWnd window(Folder(), kSeries);
    const QString pdf = QString::fromStdString(*folder_ / "report.pdf");
    QVERIFY(window.ExportPdf(pdf));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    QCOMPARE(text.exitCode(), 0);
    const QString report = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(report.contains(QStringLiteral("系列试验报告")), qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("系列名称：钢丝 B")));
    QVERIFY(report.contains(QStringLiteral("材料：Q235")));
    for (int i = 1; i <= 5; ++i)
        QVERIFY2(report.contains(QStringLiteral("钢丝 B-0%1").arg(i)), qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("平均值")));
    QVERIFY(report.contains(QStringLiteral("95% 置信上限")));
    QVERIFY(report.contains(QStringLiteral("断于标距外")));
    // 最大力 38, 40, (41 excluded), 39, 42 N: the mean 39.75 N; 抗拉强度 Rm 397.5 MPa, to 1 MPa.
    QVERIFY(report.contains(QStringLiteral("39.75")));
    QVERIFY(report.contains(QStringLiteral("398")));
    QVERIFY(report.contains(QStringLiteral("410")));

    auto* save = window.findChild<QPushButton*>(QStringLiteral("saveTables"));
    QVERIFY(save != nullptr);
    save->click();
    QVERIFY(QFile::exists(QString::fromStdString(SeriesCsvPath(Folder(), kSeries))));
    QVERIFY(QFile::exists(QString::fromStdString(SeriesWorkbookPath(Folder(), kSeries))));
    QVERIFY(messages_.empty());
}

void SeriesWindowTest::newSpecimenAppearsLive() {
    CSeriesWnd window(Folder(), kSeries);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SetCurveShown(3, false);
    auto* table = window.findChild<QTableWidget*>(QStringLiteral("table"));
    QCOMPARE(table->rowCount(), 5 + kStatisticLines);

    std::string error;
    QVERIFY2(WriteModelSpecimen(Folder(), kSeries, {6, 45, ""}, &error), error.c_str());
    window.SpecimenChanged();
    QCOMPARE(table->rowCount(), 6 + kStatisticLines);
    QCOMPARE(table->item(5, 0)->text(), QStringLiteral("钢丝 B-06"));
    QCOMPARE(table->item(6, 2)->text(), QStringLiteral("5"));
    // (38 + 40 + 39 + 42 + 45) / 5.
    QCOMPARE(table->item(7, 2)->text(), QStringLiteral("40.8"));
    QCOMPARE(static_cast<int>(window.Overlay().curves.size()), 6);
    QVERIFY2(!window.Shown()[3], "a hidden curve stays hidden");
    QVERIFY(window.Shown()[5]);
    auto* added = window.findChild<QCheckBox*>(QStringLiteral("curve5"));
    QVERIFY(added != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(added->isVisible(), 5000);
    auto* chart = window.findChild<CSeriesOverlayCtrl*>(QStringLiteral("overlay"));
    chart->repaint();
    QVERIFY(CountColour(chart->LastFrame(), SpecimenColour(5)) > 50);

    // Specimen 2 marked invalid afterwards: it leaves the statistics.
    QVERIFY2(WriteModelSpecimen(Folder(), kSeries, {2, 40, "夹持打滑"}, &error), error.c_str());
    window.SpecimenChanged();
    QCOMPARE(table->item(6, 2)->text(), QStringLiteral("4"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("夹持打滑"));
}

// 60 specimens of 7 results: two blocks of columns over several pages, each page's part of the
// table under its header, the overlay after the table.
void SeriesWindowTest::longTableGoesOnWithItsHeader() {
    SeriesTable table;
    for (int c = 0; c < 7; ++c) table.columns.push_back({"结果" + std::to_string(c), "N", 0});
    for (int i = 1; i <= 60; ++i)
        table.specimens.push_back(
            {"L-" + std::to_string(i), "", std::vector<std::optional<double>>(7, i)});
    table.statistics.assign(7, StatisticsOf({1, 2}));
    SeriesInfo info;
    info.name = "L";
    const SeriesOverlay overlay;
    const std::vector<bool> shown;
    const SeriesReport report{info, table, overlay, shown};
    QCOMPARE(static_cast<int>(ReportColumnBlocks(table).size()), 2);
    const int pages = SeriesReportPageCount(report);
    QVERIFY(pages >= 3);
    const QString pdf = QString::fromStdString(*folder_ / "long.pdf");
    QVERIFY(WriteSeriesReportPdf(report, pdf));
    int headers = 0;
    for (int page = 1; page <= pages; ++page) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                    QString::number(page), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        if (content.contains(QStringLiteral("L-")))
            QVERIFY2(content.contains(QStringLiteral("试样")), qPrintable(content));
        headers += content.count(QStringLiteral("试样"));
    }
    QVERIFY(headers >= pages);
}

QTEST_MAIN(SeriesWindowTest)
#include "series_window_test.moc"
