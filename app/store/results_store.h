// The results store: every saved test entered in one database in the data folder,
// "试验记录.sqlite", so that a lab finds a test again months later without opening its files.
// The files stay the record of a test; the store is an index that ReindexDataFolder (in
// records/store_entry.h) can always build again from them.
//
// How to use it:
//   ResultsStore store;
//   std::string message;
//   if (!store.Open(ResultsStorePath(DataFolderPath()), &message)) show(message);  // not usable
//   else if (!message.empty()) show(message);  // usable, but a damaged file was put aside
//   // after each save: StoredTest from EntryOfSavedTest(...), then
//   if (!store.Enter(entry, &message)) show(message);  // the files are saved all the same
//   // the 试验记录 window: ListTests(query) for its lines, ReadTest(archive) for the one chosen,
//   // ChangesOf(archive) for its history and ArchiveMatches(test) before trusting its file.
//   // rebuilding it from the files: ReindexDataFolder(DataFolderPath(), path, progress,
//   // &report); store objects open elsewhere go on with the new file at their next call.
// Beside the store SQLite keeps its journal, "试验记录.sqlite-journal", between transactions.
// Every call returns false with a message (UTF-8, for the operator) when it fails; a failure
// changes nothing in the store. One object is used from one thread at a time; several
// objects, in this or other processes, may use one file together.
//
// The schema is plain SQL (TEXT, INTEGER, REAL) so that several rigs can later share a
// server database with the same tables; only SqliteConnection knows SQLite.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SqliteConnection;

struct StoredResult {
    int position = 0;  // the row's place in the result table, from 0
    std::string name;  // UTF-8, "抗拉强度 Rm"
    std::optional<double> value;
    std::string unit;  // UTF-8
};

struct StoredNote {
    int position = 0;
    std::string text;  // UTF-8
};

// One saved test as the store holds it. Texts are UTF-8; file names are relative to the data
// folder (the folder the store lives in).
struct StoredTest {
    std::int64_t id = 0;      // given by the store; kept when the test is entered again
    std::string archiveName;  // "<name><time>.dat": the key of the test
    std::string testFileName, csvName, xlsName;  // empty when the file was not there
    std::string archiveSha256;                   // 64 hexadecimal digits
    std::string savedAt;                         // the archive's mtime, "%Y-%m-%d %H:%M:%S" local
    std::string testName, startTime, operatorName;
    std::string rigName;  // empty: entered as the host name
    std::string series;   // empty: a lone test
    int specimenNumber = 0;
    std::string specimenId;      // "<series>-<number>"
    std::string excludedReason;  // not empty: the specimen counts in no statistic
    std::optional<double> area, gaugeLength, finalArea, finalGaugeLength;  // S0, L0, Su, Lu
    std::optional<double> proofOffset;                                     // % of L0
    int breakRecord = 0;  // the fracture record (1-based), 0: no break
    int recordCount = 0;
    std::vector<StoredResult> results;
    std::vector<StoredNote> notes;
};

// A line of the list of tests: what tells one test from another.
struct TestListing {
    std::int64_t id = 0;
    std::string archiveName, savedAt, testName, startTime, operatorName, rigName, series;
    int specimenNumber = 0;
    std::string specimenId, excludedReason;
};

// A series of specimens, as its series file gives it (see records/series_file.h).
struct StoredSeries {
    std::string name, material, method, operatorName;
    int planned = 0;
    std::string notes, created;
};

// What an entry of a test changed in what the store held ("断面收缩率 Z: 41.2 -> 40").
struct StoredChange {
    std::string time;  // "%Y-%m-%d %H:%M:%S" local
    std::string text;
};

enum class TestColumn { kSavedAt, kTestName, kStartTime, kOperator, kRig, kSeries };

// Which tests a list shows. Empty texts filter nothing.
struct TestQuery {
    // Part of the test name, the series name, the series' material or the operator.
    std::string text;
    // Save times from savedFrom (included) to savedBefore (excluded), compared as texts in
    // the form of StoredTest::savedAt: "2026-03-01" to "2026-04-01" is all of March.
    std::string savedFrom, savedBefore;
    std::string series;  // exactly this series
    TestColumn sortBy = TestColumn::kSavedAt;
    bool descending = true;  // the newest first, by default
    int limit = 1000;        // 0: no limit
};

// What entering `after` over `before` changes, one text per result or specimen value:
// "断面收缩率 Z: 41.2 -> 40" (values as the results table shows them, "无" for none).
std::vector<std::string> ChangesBetween(const StoredTest& before, const StoredTest& after);

// The store's file in the data folder: "<folder>/试验记录.sqlite".
std::string ResultsStorePath(const std::string& dataFolderUtf8);
// The schema version this program writes; a store of a newer one is refused untouched.
int ResultsStoreVersion();
// How long a call waits for another program holding the store, before it gives up.
constexpr int kStoreBusyTimeoutMs = 3000;

class ResultsStore {
  public:
    ResultsStore();
    ~ResultsStore();
    ResultsStore(const ResultsStore&) = delete;
    ResultsStore& operator=(const ResultsStore&) = delete;

    // Opens the store, creating it when missing, checks its structure and brings its schema
    // up to this program's version (each step in one transaction). A file that is not a
    // database, or a damaged one, is renamed to "<name>.corrupt-<YYYYmmdd-HHMMSS>" with its
    // bytes intact and a fresh store takes its place: true, and *messageUtf8 says so. False,
    // with a message, for a store of a newer version (left untouched), a store locked
    // beyond the timeout, or a file that cannot be opened. *messageUtf8 is emptied
    // otherwise.
    // A store that could not be opened is tried again by the next call.
    bool Open(const std::string& pathUtf8, std::string* messageUtf8);

    // Enters the test, or replaces the one of the same archive name, in one transaction;
    // a replaced test keeps its id and gets a change row per result (or specimen value)
    // that differs. False, with a message, when the store is locked beyond the timeout,
    // full, read-only or not open.
    bool Enter(const StoredTest& test, std::string* messageUtf8);
    // Several tests in one transaction, each as Enter would; all or none.
    bool EnterAll(const std::vector<StoredTest>& tests, std::string* messageUtf8);
    // Enters or replaces the series of the same name.
    bool EnterSeries(const StoredSeries& series, std::string* messageUtf8);
    // Adds changes to the history of the test of the archive (a re-index keeps the history
    // of the store it replaces). False when the store holds no such test.
    bool EnterChanges(const std::string& archiveName, const std::vector<StoredChange>& changes,
                      std::string* messageUtf8);

    // The tests the query selects (ReadTest gives the whole of one).
    bool ListTests(const TestQuery& query, std::vector<TestListing>* tests,
                   std::string* messageUtf8);
    // The tests of a series in specimen order, with their results and notes.
    bool TestsOfSeries(const std::string& seriesName, std::vector<StoredTest>* tests,
                       std::string* messageUtf8);
    // One test with its results and notes. False, with a message, when there is none.
    bool ReadTest(const std::string& archiveName, StoredTest* test, std::string* messageUtf8);
    bool ReadSeries(const std::string& name, StoredSeries* series, std::string* messageUtf8);
    // The change history of a test, oldest first.
    bool ChangesOf(const std::string& archiveName, std::vector<StoredChange>* changes,
                   std::string* messageUtf8);

    // True when the archive file in the data folder has today the SHA-256 entered with the
    // test; false when it differs or cannot be read (*messageUtf8 then says which).
    bool ArchiveMatches(const StoredTest& test, std::string* messageUtf8 = nullptr) const;

  private:
    bool Reopen(std::string* messageUtf8);
    bool Usable(std::string* messageUtf8);
    bool Migrate(std::string* messageUtf8);
    bool Write(const std::vector<StoredTest>& tests, std::string* messageUtf8);
    bool WriteTest(const StoredTest& test, const std::string& now);
    bool ReadTests(const std::string& where, const std::vector<std::string>& parameters,
                   std::vector<StoredTest>* tests, std::string* messageUtf8);
    bool ReadDetails(StoredTest* test);
    std::string Failure(const char* doing) const;

    std::unique_ptr<SqliteConnection> db_;
    std::string path_;
    dev_t device_ = 0;  // the file the connection has open: a re-index renames another
    ino_t inode_ = 0;   // over it, and the next call reopens
};

// Puts the store built at builtPathUtf8 in the place of the one at storePathUtf8 in one
// rename, while holding the old store's lock so that no entry is half-way in it; a store
// object that has the old one open reopens at its next call. False, with a message, when the
// old store stays locked beyond the timeout or the rename fails (the old store then stays).
bool ReplaceStoreFile(const std::string& builtPathUtf8, const std::string& storePathUtf8,
                      std::string* messageUtf8);
