// velmora-results without the process: its command line, the tests it finds and evaluates in
// real files written as the program saves them, and its three output formats.
#include "reevaluation/reevaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../common/scratch_folder.h"
#include "common/number_text.h"
#include "records/archive.h"
#include "records/archive_ini.h"
#include "records/extensometer_records.h"
#include "records/records_csv.h"
#include "records/saved_test.h"
#include "records/store_entry.h"
#include "reevaluation/reevaluation_options.h"
#include "reevaluation/reevaluation_output.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

std::string Parsed(std::vector<std::string> args, ReevaluationOptions* options) {
    return ParseReevaluationOptions(args, options);
}

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(ReevaluationOptions, TakesFormatsSeriesAndMethodSettings) {
    ReevaluationOptions o;
    ASSERT_EQ(
        Parsed({"a.dat", "--format",       "json", "--series",     "钢丝 B", "--diameter",
                "2",     "--gauge-length", "50",   "--final-area", "1.5",    "--final-gauge-length",
                "61",    "--proof-offset", "0.5",  "--fit-range",  "5.5-30", "--break-value",
                "25",    "--update-store", "--",   "--odd.csv",    "folder"},
               &o),
        "");
    EXPECT_EQ(o.format, OutputFormat::kJson);
    EXPECT_EQ(o.series, "钢丝 B");
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.dat", "--odd.csv", "folder"}));
    EXPECT_EQ(o.breakValue, 25.0);
    EXPECT_TRUE(o.updateStore);
    const MethodOverrides overrides = OverridesOfOptions(o);
    EXPECT_DOUBLE_EQ(*overrides.specimen.area, std::acos(-1.0));
    ASSERT_TRUE(overrides.fitRange);
    EXPECT_EQ(overrides.fitRange->lowPercent, 5.5);
    EXPECT_EQ(overrides.fitRange->highPercent, 30);
    EXPECT_EQ(OverrideTexts(overrides),
              (std::vector<std::string>{"横截面积 S0 = " + PlainNumber(std::acos(-1.0)) + " mm²",
                                        "标距 L0 = 50 mm", "断后最小横截面积 Su = 1.5 mm²",
                                        "断后标距 Lu = 61 mm", "规定塑性延伸 = 0.5 % L0",
                                        "弹性段拟合区间 = 5.5 %–30 %"}));

    // What is given replaces what the files hold; the rest stays.
    const SpecimenDims stored{20.0, 80.0, 12.0, std::nullopt, 0.2};
    const SpecimenDims merged = WithOverrides(stored, OverridesOfOptions(o));
    EXPECT_EQ(merged.gaugeLength, 50.0);
    EXPECT_EQ(merged.proofOffset, 0.5);
    ASSERT_EQ(Parsed({"--width", "4", "--thickness", "0.5", "x"}, &o), "");
    const SpecimenDims flat = WithOverrides(stored, OverridesOfOptions(o));
    EXPECT_EQ(flat.area, 2.0);
    EXPECT_EQ(flat.gaugeLength, 80.0);
    EXPECT_EQ(flat.finalArea, 12.0);
    EXPECT_EQ(flat.proofOffset, 0.2);
    EXPECT_TRUE(OverrideTexts(OverridesOfOptions(ReevaluationOptions{})).empty());

    ASSERT_EQ(Parsed({"--help"}, &o), "");
    EXPECT_TRUE(o.help);
    EXPECT_EQ(o.format, OutputFormat::kTable);
}

TEST(ReevaluationOptions, RefusesWhatItCannotTake) {
    const struct {
        std::vector<std::string> args;
        const char* said;
    } refused[] = {
        {{"--frobnicate", "a"}, "未知选项：--frobnicate"},
        {{"a", "--area"}, "--area 需要一个值"},
        {{"a", "--area", "-1"}, "--area 须为正数"},
        {{"a", "--gauge-length", "1,5"}, "--gauge-length 须为正数"},
        {{"a", "--format", "xml"}, "--format 只取"},
        {{"a", "--fit-range", "40-10"}, "--fit-range 须为"},
        {{"a", "--fit-range", "10"}, "--fit-range 须为"},
        {{"a", "--fit-range", "0-40"}, "--fit-range 须为"},
        {{"a", "--fit-range", "10-120"}, "--fit-range 须为"},
        {{"a", "--area", "2", "--diameter", "1"}, "S0 只能以一种方式给出"},
        {{"a", "--width", "2"}, "--width 与 --thickness 须一起给出"},
        {{"--format", "csv"}, "没有给出文件或文件夹"},
    };
    for (const auto& r : refused) {
        ReevaluationOptions o;
        o.inputs = {"kept"};
        EXPECT_NE(Parsed(r.args, &o).find(r.said), std::string::npos) << r.args[0] << r.said;
        EXPECT_EQ(o.inputs, std::vector<std::string>{"kept"});  // nothing taken
    }
}

// A curve of known shape in the program's record texts: elastic to 20 N at 2 mm, hardening to
// 40 N at 7 mm, necking, broken at record 201, where the break rule of 30 fires.
struct SavedCase {
    std::unique_ptr<Settings> settings = std::make_unique<Settings>();
    std::unique_ptr<TestRun> run = std::make_unique<TestRun>();

    SavedCase() {
        settings->Parse();
        for (int i = 1; i <= 230; ++i) {
            const double d = i * 0.05;
            const double f = i > 200  ? 0.01
                             : d <= 2 ? 10 * d
                             : d <= 7 ? 20 + 4 * (d - 2)
                                      : 54 - 2 * d;
            char text[32];
            std::snprintf(text, sizeof text, "%07.3f", f);
            run->g_strRecord0[i] = text;
            std::snprintf(text, sizeof text, "%07.3f", d);
            run->g_strRecord1[i] = text;
            run->g_dRecordTime[i] = i * 0.0312;
        }
        run->g_nRecordCount = 230;
        run->g_nBreakRecord = 201;
        run->g_strStartTime = "2026-01-05-09:00:00";
    }

    // The files of a save: archive, workbook-free CSV and test file at base.
    void Save(const std::string& base, const SpecimenDims& specimen, const SeriesMember& member) {
        run->g_seriesMember = member;
        std::string error;
        ASSERT_TRUE(WriteArchive(*settings, *run, base + ".dat", &error)) << error;
        ASSERT_TRUE(WriteRecordsCsv(*settings, *run, specimen, base + ".csv", &error)) << error;
        ASSERT_TRUE(WriteTestFile(*run, specimen, base + ".ini", &error)) << error;
    }
};

class ReevaluationTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder_.Made()); }
    std::string Path(const std::string& name) const { return folder_ / name; }

    static std::optional<double> Value(const EvaluatedTest& test, const std::string& name) {
        for (const ResultRow& row : PrintedRows(test.set))
            if (row.name == name) return row.value;
        ADD_FAILURE() << "no row " << name;
        return std::nullopt;
    }

    SavedCase saved;
    ScratchFolder folder_{"reevaluation"};
};

TEST_F(ReevaluationTest, AnArchiveAndItsCsvGiveTheProgramsResults) {
    saved.Save(Path("t"), {10.0, 50.0, 6.0, 58.0, 0.2}, {});
    ReevaluationOptions options;
    EvaluatedTest archive, csv;
    std::string error;
    ASSERT_TRUE(EvaluateArchive(Path("t.dat"), options, &archive, &error)) << error;
    ASSERT_TRUE(EvaluateCsv(Path("t.csv"), options, &csv, &error)) << error;
    // As the window shows the played archive, and as the CSV's block says, to the last bit.
    SavedTest played;
    ASSERT_TRUE(LoadSavedTest(Path("t.dat"), {}, &played, &error)) << error;
    EXPECT_EQ(ResultsCsvBlock(archive.set), ResultsCsvBlock(played.set));
    const std::string block = ResultsCsvBlock(csv.set);
    EXPECT_EQ(block, ResultsCsvBlock(archive.set));
    std::ifstream in(Path("t.csv"), std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(file.compare(3, block.size(), block), 0);
    EXPECT_EQ(Value(csv, "断裂判定记录"), 201.0);
    EXPECT_EQ(csv.notes[0], "断裂于第 200 条记录");
    EXPECT_TRUE(archive.fromCommandLine.empty());

    // The command line's values win; the output names them.
    options.area = 20.0;
    options.fitRange = FitRange{5, 30};
    ASSERT_TRUE(EvaluateArchive(Path("t.dat"), options, &archive, &error)) << error;
    EXPECT_EQ(Value(archive, "横截面积 S0"), 20.0);
    EXPECT_EQ(Value(archive, "标距 L0"), 50.0);
    EXPECT_DOUBLE_EQ(*Value(archive, "抗拉强度 Rm"), 40.0 / 20);
    EXPECT_EQ(archive.fromCommandLine,
              (std::vector<std::string>{"横截面积 S0 = 20 mm²", "弹性段拟合区间 = 5 %–30 %"}));
    EXPECT_NE(archive.notes[2].find("Rp 的 5 %–30 %"), std::string::npos) << archive.notes[2];
}

// A re-evaluation updates the store of the archive's folder, which records what changed and
// why; the archive is only read, and a CSV alone has no archive to enter.
TEST_F(ReevaluationTest, UpdatingTheStoreRecordsTheChangeAndLeavesTheArchive) {
    saved.Save(Path("t"), {10.0, 50.0}, {"B", 1, ""});
    std::string error;
    SavedTest played;
    ASSERT_TRUE(LoadSavedTest(Path("t.dat"), {}, &played, &error)) << error;
    StoredTest entry;
    ASSERT_TRUE(EntryOfSavedTest(played, folder_.Path() + "/", &entry, &error)) << error;
    {
        ResultsStore store;
        ASSERT_TRUE(store.Open(ResultsStorePath(folder_.Path() + "/"), &error)) << error;
        ASSERT_TRUE(store.Enter(entry, &error)) << error;
    }
    std::ifstream in(Path("t.dat"), std::ios::binary);
    const std::string archive((std::istreambuf_iterator<char>(in)), {});

    ReevaluationOptions options;
    options.finalArea = 4.0;
    options.inputs = {Path("t.dat"), Path("t.csv")};
    Evaluation evaluation = EvaluateInputs(options);
    std::vector<std::string> lines;
    UpdateStores(evaluation, &evaluation.refused, &lines);
    ASSERT_EQ(evaluation.refused.size(), 1u);
    EXPECT_EQ(evaluation.refused[0].path, Path("t.csv"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("1 个试验"), std::string::npos) << lines[0];

    ResultsStore store;
    ASSERT_TRUE(store.Open(ResultsStorePath(folder_.Path() + "/"), &error)) << error;
    StoredTest updated;
    ASSERT_TRUE(store.ReadTest("t.dat", &updated, &error)) << error;
    EXPECT_EQ(updated.finalArea, std::optional<double>(4.0));
    EXPECT_EQ(updated.specimenId, "B-01");
    std::vector<StoredChange> changes;
    ASSERT_TRUE(store.ChangesOf("t.dat", &changes, &error)) << error;
    std::string history;
    for (const StoredChange& change : changes) history += change.text + "\n";
    EXPECT_NE(history.find("断面收缩率 Z"), std::string::npos) << history;
    EXPECT_NE(history.find("velmora-results 重新计算：断后最小横截面积 Su = 4 mm²"),
              std::string::npos)
        << history;
    std::ifstream again(Path("t.dat"), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), archive);
}

// Without its test file an archive plays with the Specimen.ini of its folder, as the program
// does in that data folder; a name alone is found in the working directory.
TEST_F(ReevaluationTest, AnArchiveWithoutItsTestFileTakesTheSpecimenBesideIt) {
    saved.Save(Path("t"), {10.0, 50.0}, {});
    std::filesystem::remove(Path("t.ini"));
    std::ofstream(Path("Specimen.ini")) << "[Specimen]\nS0=8\nL0=40\n";
    ASSERT_TRUE(folder_.Enter());
    EvaluatedTest test;
    std::string error;
    ASSERT_TRUE(EvaluateArchive("t.dat", {}, &test, &error)) << error;
    EXPECT_EQ(Value(test, "横截面积 S0"), 8.0);
    EXPECT_EQ(test.notes.back(), "存档没有保存试样参数与启动时间：试样参数取当前 Specimen.ini");

    std::filesystem::remove(Path("Specimen.ini"));
    ReevaluationOptions options;
    options.gaugeLength = 40.0;
    ASSERT_TRUE(EvaluateArchive("t.dat", options, &test, &error)) << error;
    EXPECT_FALSE(Value(test, "横截面积 S0"));
    EXPECT_EQ(Value(test, "标距 L0"), 40.0);
    EXPECT_EQ(test.notes.back(), "存档所在文件夹也没有 Specimen.ini：试样参数只有命令行给出的");
}

TEST_F(ReevaluationTest, ACsvWithoutItsBreakRecordTakesTheBreakRule) {
    saved.Save(Path("t"), {10.0, 50.0}, {});
    std::ifstream in(Path("t.csv"), std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    file.erase(file.find("结果,断裂判定记录"), sizeof "结果,断裂判定记录,201,\r\n" - 1);
    std::ofstream(Path("old.csv"), std::ios::binary) << file;

    ReevaluationOptions options;
    EvaluatedTest test;
    std::string error;
    ASSERT_TRUE(EvaluateCsv(Path("old.csv"), options, &test, &error)) << error;
    EXPECT_FALSE(test.set.results.breakDetected);
    EXPECT_FALSE(Value(test, "断裂力"));
    EXPECT_EQ(test.notes.back(),
              "记录文件没有断裂判定记录（较早的文件）：没有给出 --break-value，按未检测到断裂计算");

    options.breakValue = 30;
    ASSERT_TRUE(EvaluateCsv(Path("old.csv"), options, &test, &error)) << error;
    EXPECT_EQ(test.set.curve.breakRecord, 201);
    EXPECT_EQ(test.fromCommandLine, std::vector<std::string>{"断裂判定值 = 30"});
    EvaluatedTest current;
    ASSERT_TRUE(EvaluateCsv(Path("t.csv"), options, &current, &error)) << error;
    EXPECT_EQ(current.set.rows.size(), test.set.rows.size());
    for (std::size_t i = 0; i < current.set.rows.size(); ++i)
        EXPECT_EQ(current.set.rows[i].value, test.set.rows[i].value) << current.set.rows[i].name;
    // A file that names its break record keeps it, whatever the break value.
    EXPECT_TRUE(current.fromCommandLine.empty());
}

TEST_F(ReevaluationTest, AFolderGivesItsTestsOfTheSeriesAndTheirStatistics) {
    std::filesystem::create_directory(Path("data"));
    const std::string data = Path("data") + "/";
    saved.Save(data + "b1", {10.0, 50.0}, {"B", 1, ""});
    saved.Save(data + "b2", {8.0, 50.0}, {"B", 2, "夹持处断裂"});
    saved.Save(data + "b3", {12.5, 50.0}, {"B", 3, ""});
    saved.Save(data + "c1", {5.0, 50.0}, {"C", 1, ""});
    std::filesystem::rename(data + "c1.dat", data + "MyTestSet.dat");  // the settings file
    std::filesystem::remove(data + "c1.ini");
    std::string error;
    std::vector<std::string> paths;
    ASSERT_TRUE(TestsOfFolder(Path("data"), std::nullopt, &paths, &error)) << error;
    EXPECT_EQ(paths, (std::vector<std::string>{data + "b1.dat", data + "b2.dat", data + "b3.dat",
                                               data + "c1.csv"}));
    ASSERT_TRUE(TestsOfFolder(Path("data"), std::string("B"), &paths, &error)) << error;
    EXPECT_EQ(paths.size(), 3u);
    EXPECT_FALSE(TestsOfFolder(Path("none"), std::nullopt, &paths, &error));
    EXPECT_NE(error.find(Path("none")), std::string::npos);

    ReevaluationOptions options;
    options.series = "B";
    options.inputs = {Path("data"), Path("missing.dat")};
    const Evaluation evaluation = EvaluateInputs(options);
    ASSERT_EQ(evaluation.tests.size(), 3u);
    ASSERT_EQ(evaluation.refused.size(), 1u);
    EXPECT_EQ(evaluation.refused[0].path, Path("missing.dat"));
    EXPECT_TRUE(evaluation.withStatistics);
    EXPECT_EQ(SpecimenIdOf(evaluation.tests[1].member), "B-02");
    const ResultStatistics* rm = nullptr;
    for (const ResultStatistics& entry : evaluation.statistics)
        if (entry.name == "抗拉强度 Rm") rm = &entry;
    ASSERT_NE(rm, nullptr);
    // The excluded specimen counts in no statistic.
    EXPECT_EQ(rm->statistics.n, 2);
    EXPECT_DOUBLE_EQ(*rm->statistics.mean, (40.0 / 10 + 40.0 / 12.5) / 2);

    options.series = "Z";
    options.inputs = {Path("data")};
    const Evaluation none = EvaluateInputs(options);
    ASSERT_EQ(none.refused.size(), 1u);
    EXPECT_NE(none.refused[0].message.find("没有系列“Z”的试验"), std::string::npos);
}

// A test recorded with the extensometer reads the same readings from its archive (with the
// file beside it) and from its CSV alone, and its folder lists the archive, not that file. A
// file that no longer reads is named in the notes and the test is evaluated without it.
TEST_F(ReevaluationTest, TheExtensometerReadsAlikeFromTheArchiveAndFromTheCsv) {
    TestRun& run = *saved.run;
    for (int i = 1; i <= 230; ++i)
        run.g_dRecordExt[i] = i <= 180 ? i * 0.0041 + 1e-9 / i : std::nan("");
    run.g_bExtRecorded = 1;
    run.g_nExtRemovalRecord = 180;
    run.g_dExtGaugeLength = 50;
    run.g_nExtChannel = 2;
    saved.Save(Path("t"), {10.0, 50.0}, {});
    std::string error;
    ASSERT_TRUE(WriteExtensometerRecords(run, Path("t.dat"), &error)) << error;

    ReevaluationOptions options;
    EvaluatedTest archive, csv;
    ASSERT_TRUE(EvaluateArchive(Path("t.dat"), options, &archive, &error)) << error;
    ASSERT_TRUE(EvaluateCsv(Path("t.csv"), options, &csv, &error)) << error;
    for (const EvaluatedTest* test : {&archive, &csv}) {
        const TestCurve& curve = test->set.curve;
        ASSERT_EQ(curve.extensometer.size(), 230u);
        for (int i = 1; i <= 230; ++i) {
            const double read = curve.extensometer[static_cast<std::size_t>(i - 1)];
            if (i <= 180) {
                ASSERT_EQ(read, run.g_dRecordExt[i]) << i;
            } else {
                ASSERT_TRUE(std::isnan(read)) << i;
            }
        }
        EXPECT_EQ(curve.extensometerGauge, 50);
        EXPECT_EQ(curve.removalRecord, 180);
    }
    EXPECT_EQ(ResultsCsvBlock(archive.set), ResultsCsvBlock(csv.set));
    std::vector<std::string> paths;
    ASSERT_TRUE(TestsOfFolder(folder_.Path(), std::nullopt, &paths, &error)) << error;
    EXPECT_EQ(paths, std::vector<std::string>{Path("t.dat")});

    std::ofstream(ExtensometerRecordsPathOf(Path("t.dat")), std::ios::binary | std::ios::app)
        << "231,\r\n";
    ASSERT_TRUE(EvaluateArchive(Path("t.dat"), options, &archive, &error)) << error;
    EXPECT_TRUE(archive.set.curve.extensometer.empty());
    ASSERT_FALSE(archive.notes.empty());
    EXPECT_NE(archive.notes.back().find("引伸计记录文件不可用"), std::string::npos)
        << archive.notes.back();
}

TEST_F(ReevaluationTest, TheOutputFormats) {
    std::filesystem::create_directory(Path("data"));
    const std::string data = Path("data") + "/";
    saved.Save(data + "a1", {10.0, 50.0}, {"A \"x\"", 1, ""});
    saved.Save(data + "a2", {12.5, 50.0}, {"A \"x\"", 2, "S0 量错,\n重测"});
    ReevaluationOptions options;
    options.inputs = {Path("data")};
    options.gaugeLength = 40.0;
    const Evaluation evaluation = EvaluateInputs(options);
    ASSERT_EQ(evaluation.tests.size(), 2u);

    // The table: the value column begins at one display column on every row of a test.
    const std::string table = TableText(evaluation);
    EXPECT_EQ(DisplayWidth("最大力 Nm²"), 10u);
    std::size_t column = 0;
    int rows = 0;
    std::size_t at = table.find("  项目");
    for (std::size_t end; (end = table.find('\n', at)) != std::string::npos && rows < 10;
         at = end + 1, ++rows) {
        const std::string line = table.substr(at, end - at);
        const std::size_t gap = line.find("  ", 2);
        const std::size_t value = line.find_first_not_of(' ', gap);
        const std::size_t shown = DisplayWidth(line.substr(0, value));
        if (rows == 0) column = shown;
        EXPECT_EQ(shown, column) << line;
    }
    EXPECT_NE(table.find("命令行给定：标距 L0 = 40 mm\n"), std::string::npos);
    EXPECT_NE(table.find("试样：A \"x\"-02\n已排除：S0 量错, 重测\n"), std::string::npos);
    EXPECT_NE(table.find("统计：1 个有效试样\n"), std::string::npos) << table;
    // Names as the files write them: 最大力 with its symbol, in each test's rows and the
    // statistics.
    EXPECT_EQ(Occurrences(table, "\n  最大力 Fm  "), 3) << table;
    EXPECT_EQ(Occurrences(table, "最大力  "), 0) << table;
    // In another language the engine's name is translated, not the files' one.
    const TableLanguage other = {+[](const char* text) { return std::string(text); },
                                 +[](const std::string& text) {
                                     return text == "最大力" ? std::string("Max force") : text;
                                 }};
    const std::string translated = TableText(evaluation, other);
    EXPECT_EQ(Occurrences(translated, "\n  Max force  "), 3) << translated;
    EXPECT_EQ(Occurrences(translated, "最大力 Fm"), 0) << translated;

    // CSV: fields with separators quoted, the statistics after a blank line.
    const std::string csv = CsvText(evaluation);
    EXPECT_EQ(csv.rfind("文件,试样,项目,数值,单位\r\n", 0), 0u);
    EXPECT_NE(csv.find("," + std::string("\"A \"\"x\"\"-01\"") + ",横截面积 S0,10,mm²\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("\r\n\r\n统计,项目,单位,n,"), std::string::npos);
    EXPECT_NE(csv.find("\r\n统计,抗拉强度 Rm,MPa,1,4,,,4,4,,\r\n"), std::string::npos) << csv;
    EXPECT_EQ(Occurrences(csv, ",最大力 Fm,40,N\r\n"), 2) << csv;
    EXPECT_NE(csv.find("\r\n统计,最大力 Fm,N,1,40,"), std::string::npos) << csv;
    EXPECT_EQ(csv.find(",最大力,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("排除," + data + "a2.dat,\"A \"\"x\"\"-02\",\"S0 量错, 重测\"\r\n"),
              std::string::npos);

    // JSON: strings escaped, missing values null, numbers that read back exactly.
    EXPECT_EQ(JsonString("a\"b\\c\nd\x01é"), "\"a\\\"b\\\\c\\nd\\u0001é\"");
    // GBK bytes, a lone continuation byte, a truncated sequence, an encoded surrogate.
    EXPECT_EQ(JsonString("\xB8\xD6x\xE4\xB8\xED\xA0\x80 \xC3\xA9"),
              "\"\\ufffd\\ufffdx\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd é\"");
    const std::string json = JsonText(evaluation);
    EXPECT_NE(json.find("\"specimen_id\": \"A \\\"x\\\"-02\""), std::string::npos);
    EXPECT_NE(json.find("\"excluded\": \"S0 量错, 重测\""), std::string::npos);
    EXPECT_NE(json.find("{\"name\": \"断后最小横截面积 Su\", \"value\": null, \"unit\": \"mm²\"}"),
              std::string::npos);
    EXPECT_EQ(Occurrences(json, "{\"name\": \"最大力 Fm\", \"value\": 40, \"unit\": \"N\"}"), 2)
        << json;
    EXPECT_NE(json.find("{\"name\": \"最大力 Fm\", \"unit\": \"N\", \"n\": 1,"), std::string::npos)
        << json;
    EXPECT_EQ(json.find("\"最大力\""), std::string::npos) << json;
    const std::string stiffness = "{\"name\": \"刚度\", \"value\": ";
    const std::size_t s = json.find(stiffness) + stiffness.size();
    double read = 0;
    ASSERT_TRUE(ParseNumber(json.substr(s, json.find(',', s) - s), &read));
    EXPECT_EQ(read, *evaluation.tests[0].set.results.stiffness);
    EXPECT_NE(json.find("\"deviation\": null"), std::string::npos);
    ReevaluationOptions single;
    single.inputs = {data + "a1.dat"};
    EXPECT_NE(JsonText(EvaluateInputs(single)).find("\"statistics\": null"), std::string::npos);
}

}  // namespace

// --lang decides; without it the first locale variable that is set does, English only for "en".
TEST(ReevaluationOptions, ChoosesTheTablesLanguage) {
    ReevaluationOptions options;
    ASSERT_EQ(ParseReevaluationOptions({"--lang", "en", "a.csv"}, &options), "");
    EXPECT_TRUE(TableInEnglish(options, "zh_CN.UTF-8", nullptr, nullptr));
    ASSERT_EQ(ParseReevaluationOptions({"--lang", "zh", "a.csv"}, &options), "");
    EXPECT_FALSE(TableInEnglish(options, "en_US.UTF-8", nullptr, nullptr));
    EXPECT_NE(ParseReevaluationOptions({"--lang", "fr", "a.csv"}, &options), "");
    ASSERT_EQ(ParseReevaluationOptions({"a.csv"}, &options), "");
    EXPECT_FALSE(TableInEnglish(options, nullptr, nullptr, nullptr));
    EXPECT_TRUE(TableInEnglish(options, "", nullptr, "en_GB.UTF-8"));
    EXPECT_FALSE(TableInEnglish(options, "C", nullptr, "en_GB.UTF-8"));
    EXPECT_TRUE(TableInEnglish(options, nullptr, "en_US.UTF-8", "zh_CN.UTF-8"));
}
