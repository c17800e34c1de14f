// A series read back from a data folder of real saved tests, its table, its files and its
// overlay's curves, on specimens of known maximum force.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "../common/scratch_folder.h"
#include "../records/records_fixture.h"
#include "common/number_text.h"
#include "records/archive_ini.h"
#include "series/series_export.h"
#include "series/series_overlay.h"
#include "series/series_tests.h"
#include "series_fixture.h"

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::optional<double> ValueOf(const SavedTest& test, const std::string& name) {
    for (const ResultRow& row : test.set.rows)
        if (row.name == name) return row.value;
    return std::nullopt;
}

int ColumnOf(const SeriesTable& table, const std::string& name) {
    for (std::size_t c = 0; c < table.columns.size(); ++c)
        if (table.columns[c].name == name) return static_cast<int>(c);
    return -1;
}

class SeriesFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Made());
        // Written out of order: the series comes back in specimen order.
        for (const ModelSpecimen& s : {ModelSpecimen{4, 39, ""}, ModelSpecimen{1, 38, ""},
                                       ModelSpecimen{3, 41, "断于标距外"}, ModelSpecimen{2, 40, ""},
                                       ModelSpecimen{5, 42, ""}}) {
            std::string error;
            ASSERT_TRUE(WriteModelSpecimen(Folder(), "钢丝 B", s, &error)) << error;
        }
        std::string error;
        ASSERT_TRUE(WriteModelSpecimen(Folder(), "other", {1, 30, ""}, &error)) << error;
        info_.name = "钢丝 B";
        info_.material = "Q235, 冷拉";
        info_.planned = 5;
    }
    std::string Folder() const { return folder_.Path() + "/"; }

    ScratchFolder folder_{"series"};
    SeriesInfo info_;
};

TEST_F(SeriesFolderTest, TestsOfTheSeriesInSpecimenOrderWithUnreadableFilesListed) {
    // A test file naming the series without its archive, and one whose archive is torn.
    std::ofstream(Folder() + "钢丝 B-07.ini") << "[Test]\nSeries=钢丝 B\nSpecimenNo=7\n";
    std::string error;
    ASSERT_TRUE(WriteModelSpecimen(Folder(), "钢丝 B", {8, 40, ""}, &error)) << error;
    std::ofstream(Folder() + "钢丝 B-08.dat", std::ios::trunc) << "torn";
    std::ofstream(Folder() + "Specimen.ini") << "[Specimen]\nS0=1\n";

    const SeriesTests series = LoadSeriesTests(Folder(), "钢丝 B");
    ASSERT_EQ(series.tests.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(series.tests[i].member.number, i + 1);
    EXPECT_EQ(series.tests[2].member.excludedReason, "断于标距外");
    ASSERT_EQ(series.problems.size(), 2u);
    EXPECT_NE(series.problems[0].pathUtf8.find("钢丝 B-07.ini"), std::string::npos);
    EXPECT_NE(series.problems[1].pathUtf8.find("钢丝 B-08.ini"), std::string::npos);
    EXPECT_FALSE(series.problems[0].reasonUtf8.empty());

    EXPECT_TRUE(LoadSeriesTests(Folder() + "missing/", "钢丝 B").tests.empty());
    EXPECT_EQ(LoadSeriesTests(Folder(), "other").tests.size(), 1u);
}

TEST_F(SeriesFolderTest, TableHoldsEverySpecimenAndCountsOnlyTheValid) {
    const SeriesTests series = LoadSeriesTests(Folder(), "钢丝 B");
    const SeriesTable table = SeriesTableOf(series.tests);
    ASSERT_EQ(table.specimens.size(), 5u);
    EXPECT_EQ(table.specimens[0].specimenId, "钢丝 B-01");
    EXPECT_EQ(table.specimens[2].excludedReason, "断于标距外");
    const int fm = ColumnOf(table, "最大力"), rm = ColumnOf(table, "抗拉强度 Rm");
    ASSERT_GE(fm, 0);
    ASSERT_GE(rm, 0);
    EXPECT_EQ(table.columns[rm].unit, "MPa");
    EXPECT_EQ(table.columns[rm].reportStep, 1);
    const double fms[] = {38, 40, 41, 39, 42};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(*table.specimens[i].values[fm], fms[i], 1e-9);
        EXPECT_NEAR(*table.specimens[i].values[rm], fms[i] / kSpecimenArea, 1e-6);
        EXPECT_EQ(table.specimens[i].values[rm], ValueOf(series.tests[i], "抗拉强度 Rm"));
    }
    // The excluded 41 N is shown but not counted: 38, 40, 39, 42.
    const SampleStatistics& s = table.statistics[fm];
    EXPECT_EQ(s.n, 4);
    EXPECT_NEAR(*s.mean, 39.75, 1e-9);
    EXPECT_NEAR(*s.deviation,
                std::sqrt((1.75 * 1.75 + 0.25 * 0.25 + 0.75 * 0.75 + 2.25 * 2.25) / 3), 1e-9);
    EXPECT_NEAR(*table.statistics[rm].minimum, 380, 1e-6);
    EXPECT_NEAR(*table.statistics[rm].maximum, 420, 1e-6);

    EXPECT_EQ(*StatisticValue(s, 0), 4);
    EXPECT_EQ(StatisticValue(s, 7), s.confidenceHigh);
    EXPECT_EQ(RoundedValueText(397.5, 1), "398");
    EXPECT_EQ(RoundedValueText(12.26, 0.5), "12.5");
    EXPECT_EQ(RoundedValueText(2.345, 0.1), "2.3");
    EXPECT_EQ(RoundedValueText(1.23456, 0), "1.2346");
    EXPECT_EQ(RoundedValueText(std::nullopt, 1), "");
}

TEST_F(SeriesFolderTest, SeriesFilesHoldTheTableAtFullPrecision) {
    const SeriesTests series = LoadSeriesTests(Folder(), "钢丝 B");
    const SeriesTable table = SeriesTableOf(series.tests);
    std::string error;
    ASSERT_TRUE(WriteSeriesTables(Folder(), info_, table, &error)) << error;

    const std::string csv = ReadWhole(SeriesCsvPath(Folder(), "钢丝 B"));
    ASSERT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_NE(csv.find("系列,钢丝 B\r\n材料,\"Q235, 冷拉\"\r\n"), std::string::npos);
    EXPECT_EQ(csv.find('\n'), csv.find("\r\n") + 1);
    const std::size_t header = csv.find("\r\n试样,排除原因,最大力 Fm(N),");
    ASSERT_NE(header, std::string::npos);
    const int rm = ColumnOf(table, "抗拉强度 Rm");
    std::istringstream lines(csv.substr(header + 2));
    std::string line;
    std::vector<std::vector<std::string>> rows;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, ',')) fields.push_back(field);
        if (line.back() == ',') fields.emplace_back();
        rows.push_back(fields);
    }
    ASSERT_EQ(rows.size(), 1u + 5 + kStatisticLines);
    EXPECT_EQ(rows[1][0], "钢丝 B-01");
    EXPECT_EQ(rows[3][1], "断于标距外");
    for (std::size_t i = 1; i < rows.size(); ++i)
        ASSERT_EQ(rows[i].size(), table.columns.size() + 2);
    // Full precision: every value reads back as the same double.
    for (int i = 0; i < 5; ++i) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const std::string& text = rows[1 + i][2 + c];
            if (!table.specimens[i].values[c]) {
                EXPECT_EQ(text, "");
                continue;
            }
            double read = 0;
            ASSERT_TRUE(ParseNumber(text, &read)) << text;
            EXPECT_EQ(read, *table.specimens[i].values[c]) << table.columns[c].name;
        }
    }
    EXPECT_EQ(rows[6][0], "n");
    EXPECT_EQ(rows[6][2 + rm], "4");
    EXPECT_EQ(rows[7][0], "平均值");
    EXPECT_EQ(rows[7][2 + rm], PlainNumber(*table.statistics[rm].mean));
    EXPECT_EQ(rows.back()[0], "95% 置信上限");

    const XlrdSheet sheet = ReadWithXlrd(SeriesWorkbookPath(Folder(), "钢丝 B"));
    ASSERT_TRUE(sheet.ran) << sheet.summary;
    EXPECT_NE(sheet.summary.find("sheets=1 "), std::string::npos) << sheet.summary;
    EXPECT_NE(sheet.summary.find("warnings=0"), std::string::npos) << sheet.summary;
    ASSERT_GE(sheet.rows.size(), 8u + 1 + 5 + kStatisticLines);
    EXPECT_EQ(sheet.rows[0][0], "系列");
    EXPECT_EQ(sheet.rows[0][1], "钢丝 B");
    EXPECT_EQ(sheet.rows[8][0], "试样");
    EXPECT_EQ(sheet.rows[8][2 + ColumnOf(table, "最大力")], "最大力 Fm(N)");
    EXPECT_EQ(sheet.rows[8][2 + rm], "抗拉强度 Rm(MPa)");
    EXPECT_EQ(sheet.rows[9][0], "钢丝 B-01");
    EXPECT_EQ(sheet.rows[9][2 + rm], "380.0");
    EXPECT_EQ(sheet.rows[11][1], "断于标距外");
    EXPECT_EQ(sheet.rows[15][2 + rm], "397.5") << "the mean of 380, 400, 390, 420";

    info_.name = "a/b";
    EXPECT_FALSE(WriteSeriesTables(Folder(), info_, table, &error));
}

TEST_F(SeriesFolderTest, OverlayIsStressStrainToEachFractureWithoutTheReturn) {
    const SeriesTests series = LoadSeriesTests(Folder(), "钢丝 B");
    const SeriesOverlay overlay = OverlayOfSeries(series.tests);
    ASSERT_TRUE(overlay.stressStrain);
    EXPECT_EQ(overlay.xTitle, "应变 (%)");
    ASSERT_EQ(overlay.curves.size(), 5u);
    EXPECT_TRUE(overlay.curves[2].excluded);
    EXPECT_FALSE(overlay.curves[0].excluded);
    for (std::size_t c = 0; c < 5; ++c) {
        const OverlayCurve& curve = overlay.curves[c];
        const TestResults& r = series.tests[c].set.results;
        ASSERT_TRUE(r.breakDetected);
        ASSERT_TRUE(r.toeDisplacement);
        // Stress in MPa; strain from the toe in % of L0; the last point is the fracture's.
        EXPECT_NEAR(*std::max_element(curve.y.begin(), curve.y.end()), r.maxForce / kSpecimenArea,
                    1e-9);
        EXPECT_NEAR(curve.x.back(),
                    (kFractureDisplacement - *r.toeDisplacement) / kSpecimenGauge * 100, 1e-9);
        EXPECT_EQ(*std::max_element(curve.x.begin(), curve.x.end()), curve.x.back());
        EXPECT_GT(curve.y.back(), 0.7 * r.maxForce / kSpecimenArea) << "no point of the drop";
    }
    EXPECT_NEAR(overlay.yHigh, 420, 1e-6);
    EXPECT_EQ(overlay.xLow, 0) << "the slack before the toe does not widen the axis";

    // One valid specimen without L0: force over extension, the whole series.
    std::string error;
    ModelSpecimen bare{6, 40, ""};
    bare.withDimensions = false;
    ASSERT_TRUE(WriteModelSpecimen(Folder(), "钢丝 B", bare, &error)) << error;
    const SeriesOverlay force = OverlayOfSeries(LoadSeriesTests(Folder(), "钢丝 B").tests);
    EXPECT_FALSE(force.stressStrain);
    EXPECT_EQ(force.curves.size(), 6u);
    EXPECT_EQ(force.xTitle.substr(force.xTitle.size() - 5), " (mm)");
    EXPECT_NEAR(force.curves[5].x.back(), kFractureDisplacement, 1e-9);
    EXPECT_NEAR(force.yHigh, 42, 1e-9);
}

TEST(SeriesOverlayCurve, UnbrokenCurveEndsWhereTheReturnBegins) {
    ResultSet set;
    set.curve.displacement = {0, 1, 2, 3, 2, 1, 0};
    set.curve.force = {0, 5, 8, 9, 0.1, 0.1, 0.1};
    set.results.count = 7;
    EXPECT_EQ(CurveEndIndex(set), 3);
    set.results.breakDetected = true;
    set.results.breakIndex = 2;
    EXPECT_EQ(CurveEndIndex(set), 2);
    EXPECT_EQ(CurveEndIndex(ResultSet{}), -1);
}

// The reduced polyline covers in each column exactly the rows the whole curve covers there,
// begins and ends where the curve does, and holds at most four points per column run.
TEST(SeriesOverlayCurve, ReductionKeepsEveryColumnsExtremes) {
    std::vector<double> x, y;
    for (int i = 0; i < 10000; ++i) {
        x.push_back(i * 0.001 + 0.0004 * std::sin(i * 1.7));  // a crosshead that jitters back
        y.push_back(30 * std::sin(i * 0.002) + 3 * std::sin(i * 0.9));
    }
    x[5000] = std::nan("");
    PlotMapping m;
    m.x0 = 0;
    m.x1 = 10;
    m.y0 = -40;
    m.y1 = 40;
    m.left = 10;
    m.bottom = 300;
    m.width = 400;
    m.height = 280;
    const std::vector<PlotPoint> reduced = ReduceToColumns(x, y, m);
    struct Span {
        int low = 1 << 30, high = -(1 << 30);
    };
    std::vector<Span> full(m.width + 20), kept(m.width + 20);
    std::vector<PlotPoint> whole;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!std::isfinite(x[i])) continue;
        const int px = static_cast<int>(std::lround(m.left + (x[i] - m.x0) / 10 * m.width));
        const int py = static_cast<int>(std::lround(m.bottom - (y[i] - m.y0) / 80 * m.height));
        whole.push_back({px, py});
        full[px].low = std::min(full[px].low, py);
        full[px].high = std::max(full[px].high, py);
    }
    int runs = 1;
    for (std::size_t i = 1; i < whole.size(); ++i) runs += whole[i].x != whole[i - 1].x;
    for (const PlotPoint& p : reduced) {
        kept[p.x].low = std::min(kept[p.x].low, p.y);
        kept[p.x].high = std::max(kept[p.x].high, p.y);
    }
    for (std::size_t c = 0; c < full.size(); ++c) {
        EXPECT_EQ(kept[c].low, full[c].low) << "column " << c;
        EXPECT_EQ(kept[c].high, full[c].high) << "column " << c;
    }
    EXPECT_LE(reduced.size(), 4u * runs);
    EXPECT_LT(reduced.size(), x.size() / 4);
    EXPECT_EQ(reduced.front().x, whole.front().x);
    EXPECT_EQ(reduced.front().y, whole.front().y);
    EXPECT_EQ(reduced.back().x, whole.back().x);
    EXPECT_EQ(reduced.back().y, whole.back().y);
    EXPECT_TRUE(ReduceToColumns(x, y, PlotMapping{0, 0, 0, 1, 0, 0, 1, 1}).empty());
}

}  // namespace
