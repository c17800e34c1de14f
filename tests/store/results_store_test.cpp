#include "store/results_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../common/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

StoredTest SampleTest(const std::string& archive, const std::string& savedAt) {
    StoredTest test;
    test.archiveName = archive + ".dat";
    test.testFileName = archive + ".ini";
    test.csvName = archive + ".csv";
    test.xlsName = archive + ".xls";
    test.archiveSha256 = std::string(64, 'a');
    test.savedAt = savedAt;
    test.testName = "钢丝";
    test.startTime = "2026-03-07-14:05:09";
    test.operatorName = "Tolvane";
    test.rigName = "rig-2";
    test.series = "钢丝 B";
    test.specimenNumber = 3;
    test.specimenId = "钢丝 B-03";
    test.excludedReason = "断于标距外";
    test.area = 0.05;
    test.gaugeLength = 50.0;
    test.finalGaugeLength = 61.5;
    test.proofOffset = 0.2;
    test.breakRecord = 812;
    test.recordCount = 830;
    test.results = {{0, "最大力", 41.25, "N"},
                    {1, "抗拉强度 Rm", 825.0, "MPa"},
                    {2, "断面收缩率 Z", std::nullopt, "%"}};
    test.notes = {{0, "引伸计: 无，以横梁位移计算"}, {1, "断裂于第 812 条记录"}};
    return test;
}

// An sqlite3 connection of its own, as another program would hold the store.
class OtherConnection {
  public:
    explicit OtherConnection(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherConnection() { sqlite3_close(db_); }
    int Exec(const std::string& sql) {
        return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    }

  private:
    sqlite3* db_ = nullptr;
};

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Made());
        path = ResultsStorePath(folder_.Path());
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    ScratchFolder folder_{"store"};
    std::string path;
    std::string message;
};

TEST_F(StoreTest, EveryFieldReadsBackAndTheListFilters) {
    EXPECT_EQ(fs::path(path).filename().string(), "试验记录.sqlite");
    ResultsStore store;
    ASSERT_TRUE(store.Open(path, &message)) << message;
    EXPECT_TRUE(message.empty()) << message;

    const StoredTest entered = SampleTest("钢丝2026-03-07-14-05-09", "2026-03-07 14:06:00");
    ASSERT_TRUE(store.Enter(entered, &message)) << message;
    StoredTest read;
    ASSERT_TRUE(store.ReadTest(entered.archiveName, &read, &message)) << message;
    EXPECT_NE(read.id, 0);
    EXPECT_EQ(read.archiveName, entered.archiveName);
    EXPECT_EQ(read.testFileName, entered.testFileName);
    EXPECT_EQ(read.csvName, entered.csvName);
    EXPECT_EQ(read.xlsName, entered.xlsName);
    EXPECT_EQ(read.archiveSha256, entered.archiveSha256);
    EXPECT_EQ(read.savedAt, entered.savedAt);
    EXPECT_EQ(read.testName, entered.testName);
    EXPECT_EQ(read.startTime, entered.startTime);
    EXPECT_EQ(read.operatorName, entered.operatorName);
    EXPECT_EQ(read.rigName, entered.rigName);
    EXPECT_EQ(read.series, entered.series);
    EXPECT_EQ(read.specimenNumber, 3);
    EXPECT_EQ(read.specimenId, entered.specimenId);
    EXPECT_EQ(read.excludedReason, entered.excludedReason);
    EXPECT_EQ(read.area, entered.area);
    EXPECT_EQ(read.gaugeLength, entered.gaugeLength);
    EXPECT_EQ(read.finalArea, std::nullopt);
    EXPECT_EQ(read.finalGaugeLength, entered.finalGaugeLength);
    EXPECT_EQ(read.proofOffset, entered.proofOffset);
    EXPECT_EQ(read.breakRecord, 812);
    EXPECT_EQ(read.recordCount, 830);
    ASSERT_EQ(read.results.size(), 3u);
    for (std::size_t i = 0; i < read.results.size(); ++i) {
        EXPECT_EQ(read.results[i].position, entered.results[i].position);
        EXPECT_EQ(read.results[i].name, entered.results[i].name);
        EXPECT_EQ(read.results[i].value, entered.results[i].value);
        EXPECT_EQ(read.results[i].unit, entered.results[i].unit);
    }
    ASSERT_EQ(read.notes.size(), 2u);
    EXPECT_EQ(read.notes[1].text, entered.notes[1].text);

    StoredTest lone = SampleTest("拉杆", "2026-04-02 09:00:00");
    lone.series.clear();
    lone.specimenId.clear();
    lone.operatorName = "Brenn";
    lone.testName = "拉杆 100%";
    lone.rigName.clear();
    ASSERT_TRUE(store.Enter(lone, &message)) << message;
    ASSERT_TRUE(
        store.EnterSeries({"钢丝 B", "65Mn 弹簧钢", "A224", "Tolvane", 5, "", ""}, &message))
        << message;
    StoredSeries series;
    ASSERT_TRUE(store.ReadSeries("钢丝 B", &series, &message)) << message;
    EXPECT_EQ(series.material, "65Mn 弹簧钢");
    EXPECT_EQ(series.planned, 5);

    auto listed = [&](const TestQuery& query) {
        std::vector<TestListing> tests;
        EXPECT_TRUE(store.ListTests(query, &tests, &message)) << message;
        std::vector<std::string> names;
        for (const TestListing& test : tests) names.push_back(test.archiveName);
        return names;
    };
    const std::vector<std::string> both = {lone.archiveName, entered.archiveName};
    EXPECT_EQ(listed({}), both) << "the newest save first";
    TestQuery query;
    query.text = "弹簧";
    EXPECT_EQ(listed(query), std::vector<std::string>{entered.archiveName}) << "the material";
    query.text = "brenn";
    EXPECT_EQ(listed(query), std::vector<std::string>{lone.archiveName}) << "the operator";
    query.text = "100%";
    EXPECT_EQ(listed(query), std::vector<std::string>{lone.archiveName});
    query.text = "1%";
    EXPECT_TRUE(listed(query).empty()) << "% typed is a percent sign, not a wildcard";
    query = {};
    query.savedFrom = "2026-04-01";
    query.savedBefore = "2026-05-01";
    EXPECT_EQ(listed(query), std::vector<std::string>{lone.archiveName});
    query = {};
    query.series = "钢丝 B";
    EXPECT_EQ(listed(query), std::vector<std::string>{entered.archiveName});
    query = {};
    query.sortBy = TestColumn::kOperator;
    query.descending = false;
    EXPECT_EQ(listed(query), both);
    query.limit = 1;
    EXPECT_EQ(listed(query).size(), 1u);

    std::vector<StoredTest> members;
    ASSERT_TRUE(store.TestsOfSeries("钢丝 B", &members, &message)) << message;
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].results.size(), 3u);
    ASSERT_TRUE(store.ReadTest(lone.archiveName, &read, &message));
    EXPECT_FALSE(read.rigName.empty()) << "the host name stands for a rig not named";

    EXPECT_FALSE(store.ReadTest("none.dat", &read, &message));
    EXPECT_NE(message.find("none.dat"), std::string::npos) << message;
}

TEST_F(StoreTest, SeriesComeInSpecimenOrder) {
    ResultsStore store;
    ASSERT_TRUE(store.Open(path, &message)) << message;
    for (int number : {3, 1, 2}) {
        StoredTest test =
            SampleTest("B" + std::to_string(number), "2026-03-07 14:06:0" + std::to_string(number));
        test.specimenNumber = number;
        ASSERT_TRUE(store.Enter(test, &message)) << message;
    }
    std::vector<StoredTest> members;
    ASSERT_TRUE(store.TestsOfSeries("钢丝 B", &members, &message)) << message;
    ASSERT_EQ(members.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(members[i].specimenNumber, i + 1);
}

TEST_F(StoreTest, ReEntryKeepsTheIdAndRecordsWhatChanged) {
    ResultsStore store;
    ASSERT_TRUE(store.Open(path, &message)) << message;
    StoredTest test = SampleTest("a", "2026-03-07 14:06:00");
    test.results.push_back({3, "断后伸长率 A (横梁位移)", 22.5, "%"});
    ASSERT_TRUE(store.Enter(test, &message)) << message;
    StoredTest first;
    ASSERT_TRUE(store.ReadTest(test.archiveName, &first, &message));
    ASSERT_TRUE(store.Enter(test, &message)) << message;
    std::vector<StoredChange> changes;
    ASSERT_TRUE(store.ChangesOf(test.archiveName, &changes, &message));
    EXPECT_TRUE(changes.empty()) << "the same test again changes nothing";

    test.results[1].value = 830.00004;  // beyond the 4 decimals shown: no change
    test.results[2].value = 40.0;
    test.results[0].value = 41.2;
    test.results.pop_back();
    test.finalArea = 0.02;
    test.excludedReason.clear();
    ASSERT_TRUE(store.Enter(test, &message)) << message;
    ASSERT_TRUE(store.ChangesOf(test.archiveName, &changes, &message));
    std::vector<std::string> texts;
    for (const StoredChange& change : changes) {
        EXPECT_EQ(change.time.size(), 19u) << change.time;
        texts.push_back(change.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"最大力: 41.25 -> 41.2", "抗拉强度 Rm: 825 -> 830",
                                               "断面收缩率 Z: 无 -> 40",
                                               "断后伸长率 A (横梁位移): 22.5 -> 无",
                                               "Su: 无 -> 0.02", "无效原因: 断于标距外 -> 无"}));
    StoredTest again;
    ASSERT_TRUE(store.ReadTest(test.archiveName, &again, &message));
    EXPECT_EQ(again.id, first.id);
    EXPECT_EQ(again.results.size(), 3u) << "the dropped row is gone";
    EXPECT_EQ(again.results[1].value, std::optional<double>(830.00004));

    ASSERT_TRUE(store.EnterChanges(test.archiveName, {{"2025-01-01 00:00:00", "更早"}}, &message));
    ASSERT_TRUE(store.ChangesOf(test.archiveName, &changes, &message));
    EXPECT_EQ(changes.back().text, "更早");
    EXPECT_FALSE(store.EnterChanges("none.dat", {{"2025-01-01 00:00:00", "x"}}, &message));
}

TEST_F(StoreTest, LockedStoreFailsWithinTheTimeoutAndHarmsNothing) {
    ResultsStore store;
    ASSERT_TRUE(store.Open(path, &message)) << message;
    ASSERT_TRUE(store.Enter(SampleTest("a", "2026-03-07 14:06:00"), &message)) << message;
    {
        OtherConnection other(path);
        ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(store.Enter(SampleTest("b", "2026-03-07 14:07:00"), &message));
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_NE(message.find("占用"), std::string::npos) << message;
        EXPECT_GE(waited, std::chrono::milliseconds(kStoreBusyTimeoutMs - 100));
        EXPECT_LT(waited, std::chrono::milliseconds(kStoreBusyTimeoutMs + 2000));

        ResultsStore late;
        EXPECT_FALSE(late.Open(path, &message)) << "a store held at its opening";
        EXPECT_NE(message.find("占用"), std::string::npos) << message;
        ASSERT_EQ(other.Exec("ROLLBACK"), SQLITE_OK);
        ASSERT_TRUE(late.Enter(SampleTest("c", "2026-03-07 14:08:00"), &message))
            << "opened at its next call: " << message;
    }
    ASSERT_TRUE(store.Enter(SampleTest("b", "2026-03-07 14:07:00"), &message)) << message;
    std::vector<TestListing> tests;
    ASSERT_TRUE(store.ListTests({}, &tests, &message)) << message;
    EXPECT_EQ(tests.size(), 3u);
}

TEST_F(StoreTest, DamagedFilesArePutAsideWithTheirBytes) {
    // Text that is no database, then a store cut short.
    ResultsStore full;
    ASSERT_TRUE(full.Open(path, &message)) << message;
    std::vector<StoredTest> many;
    for (int i = 0; i < 300; ++i) many.push_back(SampleTest("t" + std::to_string(i), "2026-03-07"));
    ASSERT_TRUE(full.EnterAll(many, &message)) << message;
    const std::string database = ReadAll(path);
    ASSERT_GT(database.size(), 8192u);
    const std::vector<std::string> damaged = {std::string(5000, 'x'),
                                              database.substr(0, database.size() / 2)};
    fs::remove(path);
    for (const std::string& bytes : damaged) {
        WriteAll(path, bytes);
        ResultsStore store;
        ASSERT_TRUE(store.Open(path, &message)) << message;
        EXPECT_NE(message.find("已损坏"), std::string::npos) << message;
        std::string aside;
        for (const std::string& name : Entries())
            if (name.find(".corrupt-") != std::string::npos && name.back() != 'l') aside = name;
        ASSERT_EQ(aside.size(), std::string("试验记录.sqlite.corrupt-20260307-140509").size())
            << aside;
        EXPECT_NE(message.find(aside), std::string::npos) << message;
        EXPECT_EQ(ReadAll(folder_ / aside), bytes) << "the damaged file's bytes are kept";
        fs::remove(folder_ / aside);

        ASSERT_TRUE(store.Enter(SampleTest("a", "2026-03-07 14:06:00"), &message)) << message;
        std::vector<TestListing> tests;
        ASSERT_TRUE(store.ListTests({}, &tests, &message));
        EXPECT_EQ(tests.size(), 1u) << "a fresh store";
        fs::remove(path);
    }
}

TEST_F(StoreTest, NewerSchemaIsRefusedUntouched) {
    {
        ResultsStore store;
        ASSERT_TRUE(store.Open(path, &message)) << message;
        ASSERT_TRUE(store.Enter(SampleTest("a", "2026-03-07 14:06:00"), &message));
    }
    {
        OtherConnection other(path);
        ASSERT_EQ(other.Exec("UPDATE store_version SET version = " +
                             std::to_string(ResultsStoreVersion() + 1)),
                  SQLITE_OK);
    }
    const std::string before = ReadAll(path);
    const auto entriesBefore = Entries();
    ResultsStore store;
    EXPECT_FALSE(store.Open(path, &message));
    EXPECT_NE(message.find("版本为 " + std::to_string(ResultsStoreVersion() + 1)),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("未作任何改动"), std::string::npos) << message;
    EXPECT_FALSE(store.Enter(SampleTest("b", "2026-03-07 14:07:00"), &message));
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(Entries(), entriesBefore);
}

TEST_F(StoreTest, ReplacedFileIsReopenedByAStoreThatHadTheOldOne) {
    ResultsStore store;
    ASSERT_TRUE(store.Open(path, &message)) << message;
    ASSERT_TRUE(store.Enter(SampleTest("old", "2026-03-07 14:06:00"), &message));
    const std::string built = path + ".new";
    {
        ResultsStore fresh;
        ASSERT_TRUE(fresh.Open(built, &message)) << message;
        ASSERT_TRUE(fresh.Enter(SampleTest("new", "2026-03-07 14:06:00"), &message));
    }
    ASSERT_TRUE(ReplaceStoreFile(built, path, &message)) << message;
    EXPECT_FALSE(fs::exists(built));
    ASSERT_TRUE(store.Enter(SampleTest("after", "2026-03-07 14:07:00"), &message)) << message;
    std::vector<TestListing> tests;
    ResultsStore reader;
    ASSERT_TRUE(reader.Open(path, &message)) << message;
    ASSERT_TRUE(reader.ListTests({}, &tests, &message));
    ASSERT_EQ(tests.size(), 2u) << "the entry went into the new file";
    EXPECT_EQ(tests[0].archiveName, "after.dat");
    EXPECT_EQ(tests[1].archiveName, "new.dat");

    OtherConnection other(path);
    ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    {
        ResultsStore again;
        ASSERT_TRUE(again.Open(built, &message)) << message;
    }
    EXPECT_FALSE(ReplaceStoreFile(built, path, &message));
    EXPECT_NE(message.find("占用"), std::string::npos) << message;
    EXPECT_TRUE(fs::exists(built)) << "the old store stays while it is held";
}

}  // namespace

namespace {

// Files of this process cannot grow past `bytes` while it lives: the disk refuses the write.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &before_);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before_);
        signal(SIGXFSZ, SIG_DFL);
    }

  private:
    rlimit before_{};
};

TEST_F(StoreTest, RefusedWriteFailsTheEntryAndKeepsWhatWasThere) {
    ResultsStore store;
    ASSERT_TRUE(store.Open(path, &message)) << message;
    ASSERT_TRUE(store.Enter(SampleTest("kept", "2026-03-07 14:06:00"), &message)) << message;
    std::vector<StoredTest> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back(SampleTest("t" + std::to_string(i), "2026-03-08"));
    {
        FileSizeLimit limit(fs::file_size(path) + 8192);
        EXPECT_FALSE(store.EnterAll(many, &message));
    }
    EXPECT_NE(message.find("磁盘"), std::string::npos) << message;
    ResultsStore reader;
    ASSERT_TRUE(reader.Open(path, &message)) << message;
    EXPECT_TRUE(message.empty()) << "the store is whole: " << message;
    std::vector<TestListing> tests;
    ASSERT_TRUE(reader.ListTests({}, &tests, &message)) << message;
    ASSERT_EQ(tests.size(), 1u);
    ASSERT_TRUE(store.EnterAll(many, &message)) << message;
}

}  // namespace
