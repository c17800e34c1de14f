#include "records/store_entry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../common/scratch_folder.h"
#include "common/sha256.h"
#include "records/archive.h"
#include "records/archive_ini.h"
#include "records/records_csv.h"
#include "records/saved_test.h"
#include "run/run_state.h"
#include "records/series_file.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"

namespace fs = std::filesystem;

namespace {

// Real archives in a data folder of their own: the program's writers make them.
class ReindexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(workDir.Enter());
        AnchorDataFolder();
        std::string error;
        ASSERT_TRUE(EnsureDataFolder(&error)) << error;
        settings.g_strBreakValue = "10.000";
        settings.Parse();
        folder = DataFolderPath();
        storePath = ResultsStorePath(folder);
    }

    // A tensile curve of `count` records: elastic, hardening, necking, and the break in the last
    // three.
    void FillCurve(int count) {
        for (int i = 1; i <= count; ++i) {
            const double d = i * 20.0 / count;
            const double f = i > count - 3 ? 0.5
                             : d < 2       ? 10 * d
                             : d < 15      ? 20 + 8 * std::sqrt((d - 2) / 13)
                                           : 28 - (d - 15);
            char text[32];
            std::snprintf(text, sizeof text, "%07.3f", f);
            run.g_strRecord0[i] = text;
            std::snprintf(text, sizeof text, "%07.3f", d);
            run.g_strRecord1[i] = text;
            run.g_dRecordTime[i] = i * 0.03;
        }
        for (int i = count + 1; i <= count + 5; ++i) run.g_strRecord0[i].clear();
        run.g_nRecordCount = count;
        run.g_nBreakRecord = count;
    }

    // The archive, its test file (with a series) and its CSV; "<base>.dat" is returned.
    std::string Save(const std::string& base, const SeriesMember& member, bool withFiles) {
        run.g_seriesMember = member;
        run.g_strStartTime = "2026-03-07-14:05:09";
        run.g_strOperator = "Tolvane";
        const std::string archive = folder + base + ".dat";
        std::string error;
        EXPECT_TRUE(WriteArchive(settings, run, archive, &error)) << error;
        if (withFiles) {
            EXPECT_TRUE(WriteTestFile(run, specimen, TestFilePathOf(archive), &error)) << error;
            EXPECT_TRUE(WriteRecordsCsv(settings, run, specimen, folder + base + ".csv", &error))
                << error;
        }
        return archive;
    }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    SpecimenDims specimen{10.0, 50.0};
    std::string folder, storePath, message;
    ScratchFolder workDir{"reindex"};
};

TEST_F(ReindexTest, EntryCarriesTheSavedTest) {
    FillCurve(600);
    specimen.finalArea = 6.0;
    const std::string archive = Save("钢丝2026-03-07-14-05-09", {"钢丝 B", 2, "断于标距外"}, true);
    SavedTest saved;
    std::string error;
    ASSERT_TRUE(LoadSavedTest(archive, SpecimenDims{}, &saved, &error)) << error;
    StoredTest entry;
    ASSERT_TRUE(EntryOfSavedTest(saved, folder, &entry, &error)) << error;
    EXPECT_EQ(entry.archiveName, "钢丝2026-03-07-14-05-09.dat");
    EXPECT_EQ(entry.testFileName, "钢丝2026-03-07-14-05-09.ini");
    EXPECT_EQ(entry.csvName, "钢丝2026-03-07-14-05-09.csv");
    EXPECT_EQ(entry.xlsName, "") << "no workbook was saved";
    std::string hex;
    ASSERT_TRUE(Sha256OfFile(archive, &hex, &error));
    EXPECT_EQ(entry.archiveSha256, hex);
    EXPECT_EQ(entry.savedAt.size(), 19u) << entry.savedAt;
    EXPECT_EQ(entry.startTime, "2026-03-07-14:05:09");
    EXPECT_EQ(entry.operatorName, "Tolvane");
    EXPECT_EQ(entry.specimenId, "钢丝 B-02");
    EXPECT_EQ(entry.specimenNumber, 2);
    EXPECT_EQ(entry.excludedReason, "断于标距外");
    EXPECT_EQ(entry.area, std::optional<double>(10.0));
    EXPECT_EQ(entry.finalArea, std::optional<double>(6.0));
    EXPECT_EQ(entry.proofOffset, std::optional<double>(0.2));
    EXPECT_EQ(entry.recordCount, 600);
    EXPECT_EQ(BreakNoteText(saved.set.results),
              "断裂于第 " + std::to_string(entry.breakRecord) + " 条记录");
    ASSERT_EQ(entry.results.size(), saved.set.rows.size());
    for (std::size_t i = 0; i < entry.results.size(); ++i) {
        EXPECT_EQ(entry.results[i].name, saved.set.rows[i].name);
        EXPECT_EQ(entry.results[i].value, saved.set.rows[i].value);
        EXPECT_EQ(entry.results[i].unit, saved.set.rows[i].unit);
    }
    const std::vector<std::string> notes = ResultNotes(saved.set);
    ASSERT_EQ(entry.notes.size(), notes.size());
    EXPECT_EQ(entry.notes.back().text, notes.back());

    const std::string outside = workDir / "elsewhere.dat";
    fs::copy_file(archive, outside);
    ASSERT_TRUE(LoadSavedTest(outside, SpecimenDims{}, &saved, &error)) << error;
    EXPECT_FALSE(EntryOfSavedTest(saved, folder, &entry, &error));
    EXPECT_NE(error.find("不在数据文件夹"), std::string::npos) << error;
}

TEST_F(ReindexTest, RebuildsFromTheArchivesAndKeepsTheHistory) {
    FillCurve(600);
    const std::string first = Save("B-1", {"钢丝 B", 1, ""}, true);
    FillCurve(500);
    const std::string lone = Save("lone", {}, false);
    run.g_strRecord0[7] = "1e999";
    Save("broken", {}, false);
    std::ofstream(folder + "short.dat") << "not an archive";
    std::string error;
    ASSERT_TRUE(WriteSeriesFile(folder, {"钢丝 B", "65Mn", "A224", "Tolvane", 5, "", ""}, &error))
        << error;
    std::ofstream(folder + "bad.series.ini") << "[Nothing]\n";

    // The store as it was: B-1 with an older Rm and a history, and a test whose files are gone.
    {
        SavedTest saved;
        ASSERT_TRUE(LoadSavedTest(first, SpecimenDims{}, &saved, &error)) << error;
        StoredTest entry;
        ASSERT_TRUE(EntryOfSavedTest(saved, folder, &entry, &error)) << error;
        ResultsStore old;
        ASSERT_TRUE(old.Open(storePath, &message)) << message;
        ASSERT_TRUE(old.Enter(entry, &message));
        ASSERT_TRUE(old.EnterChanges("B-1.dat", {{"2026-01-01 08:00:00", "最早的修改"}}, &message));
        entry.results[0].value = 99.0;
        ASSERT_TRUE(old.Enter(entry, &message));
        entry.archiveName = "gone.dat";
        ASSERT_TRUE(old.Enter(entry, &message));
    }

    std::vector<std::pair<int, int>> calls;
    ReindexReport report;
    ASSERT_TRUE(ReindexDataFolder(
        folder, storePath,
        [&calls](int done, int total) {
            calls.push_back({done, total});
        },
        &report))
        << report.failure;
    EXPECT_EQ(report.entered, 2);
    EXPECT_EQ(report.seriesEntered, 1);
    ASSERT_EQ(report.refused.size(), 2u);
    EXPECT_EQ(report.refused[0].rfind("broken.dat: ", 0), 0u) << report.refused[0];
    EXPECT_EQ(report.refused[1].rfind("bad.series.ini: ", 0), 0u) << report.refused[1];
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(5, 5));
    EXPECT_FALSE(fs::exists(storePath + ".reindex"));

    ResultsStore store;
    ASSERT_TRUE(store.Open(storePath, &message)) << message;
    std::vector<TestListing> tests;
    ASSERT_TRUE(store.ListTests({}, &tests, &message));
    ASSERT_EQ(tests.size(), 2u) << "the test whose files are gone is no longer listed";
    StoredTest stored;
    ASSERT_TRUE(store.ReadTest("B-1.dat", &stored, &message)) << message;
    EXPECT_EQ(stored.specimenId, "钢丝 B-01");
    EXPECT_TRUE(store.ArchiveMatches(stored, &message)) << message;
    StoredSeries series;
    ASSERT_TRUE(store.ReadSeries("钢丝 B", &series, &message)) << message;
    EXPECT_EQ(series.material, "65Mn");

    std::vector<StoredChange> changes;
    ASSERT_TRUE(store.ChangesOf("B-1.dat", &changes, &message));
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].text, "最早的修改");
    EXPECT_EQ(changes[1].text.rfind("最大力: ", 0), 0u) << changes[1].text;
    EXPECT_EQ(changes[2].text.rfind("最大力: 99 -> ", 0), 0u) << changes[2].text;

    StoredTest loneStored;
    ASSERT_TRUE(store.ReadTest("lone.dat", &loneStored, &message)) << message;
    EXPECT_TRUE(store.ArchiveMatches(loneStored, &message)) << message;
    std::string bytes = ReadAll(lone);
    bytes[kArchiveBytes - 1] ^= 1;
    std::ofstream(lone, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_FALSE(store.ArchiveMatches(loneStored, &message));
    EXPECT_NE(message.find("改动"), std::string::npos) << message;
    fs::remove(lone);
    EXPECT_FALSE(store.ArchiveMatches(loneStored, &message));
}

TEST_F(ReindexTest, NewerStoreIsNotReplaced) {
    FillCurve(300);
    Save("a", {}, false);
    {
        ResultsStore old;
        ASSERT_TRUE(old.Open(storePath, &message)) << message;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(storePath.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db, "UPDATE store_version SET version = 1000", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    const std::string before = ReadAll(storePath);
    ReindexReport report;
    EXPECT_FALSE(ReindexDataFolder(folder, storePath, {}, &report));
    EXPECT_NE(report.failure.find("版本为 1000"), std::string::npos) << report.failure;
    EXPECT_EQ(ReadAll(storePath), before);
    EXPECT_FALSE(fs::exists(storePath + ".reindex"));
}

}  // namespace
