#include "store/results_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/local_time.h"
#include "common/number_text.h"
#include "common/sha256.h"
#include "common/text_template.h"
#include "store/sqlite_connection.h"
#include "store/store_texts.h"

namespace {

// The schema, one step per version: step n takes a store of version n to n + 1, in one
// transaction. Steps are only ever appended, so that every older store can be brought up.
const char* const kMigrations[] = {
    "CREATE TABLE store_version (version INTEGER NOT NULL);"
    "INSERT INTO store_version (version) VALUES (0);"
    "CREATE TABLE tests ("
    " id INTEGER NOT NULL PRIMARY KEY,"
    " archive TEXT NOT NULL UNIQUE,"
    " test_file TEXT NOT NULL, csv_file TEXT NOT NULL, xls_file TEXT NOT NULL,"
    " archive_sha256 TEXT NOT NULL, saved_at TEXT NOT NULL,"
    " test_name TEXT NOT NULL, start_time TEXT NOT NULL, operator TEXT NOT NULL,"
    " rig TEXT NOT NULL, series TEXT NOT NULL, specimen_no INTEGER NOT NULL,"
    " specimen_id TEXT NOT NULL, excluded_reason TEXT NOT NULL,"
    " s0 REAL, l0 REAL, su REAL, lu REAL, proof_offset REAL,"
    " break_record INTEGER NOT NULL, record_count INTEGER NOT NULL);"
    "CREATE INDEX tests_saved_at ON tests (saved_at);"
    "CREATE INDEX tests_test_name ON tests (test_name);"
    "CREATE INDEX tests_start_time ON tests (start_time);"
    "CREATE INDEX tests_series ON tests (series, specimen_no);"
    "CREATE TABLE results ("
    " test_id INTEGER NOT NULL REFERENCES tests (id), position INTEGER NOT NULL,"
    " name TEXT NOT NULL, value REAL, unit TEXT NOT NULL,"
    " PRIMARY KEY (test_id, position));"
    "CREATE TABLE notes ("
    " test_id INTEGER NOT NULL REFERENCES tests (id), position INTEGER NOT NULL,"
    " text TEXT NOT NULL, PRIMARY KEY (test_id, position));"
    "CREATE TABLE series ("
    " name TEXT NOT NULL PRIMARY KEY, material TEXT NOT NULL, method TEXT NOT NULL,"
    " operator TEXT NOT NULL, planned INTEGER NOT NULL, notes TEXT NOT NULL,"
    " created TEXT NOT NULL);"
    "CREATE TABLE changes ("
    " test_id INTEGER NOT NULL REFERENCES tests (id), position INTEGER NOT NULL,"
    " changed_at TEXT NOT NULL, text TEXT NOT NULL, PRIMARY KEY (test_id, position));",
    // What the shared server store does not have yet (see store/shared_store_sender.h): every
    // entry of a test or a series queues it again under a new sequence number, and a sender
    // takes it off only when the number is still the one it sent.
    "CREATE TABLE shared_pending ("
    " seq INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL, name TEXT NOT NULL,"
    " UNIQUE (kind, name));"
    "CREATE TABLE shared_sent ("
    " kind TEXT NOT NULL, name TEXT NOT NULL, content_sha256 TEXT NOT NULL,"
    " sent_at TEXT NOT NULL, PRIMARY KEY (kind, name));"
    "INSERT INTO shared_pending (kind, name) SELECT 'series', name FROM series ORDER BY created;"
    "INSERT INTO shared_pending (kind, name) SELECT 'test', archive FROM tests"
    " ORDER BY saved_at, id;"
    "CREATE TRIGGER tests_to_share AFTER INSERT ON tests BEGIN"
    " INSERT OR REPLACE INTO shared_pending (kind, name) VALUES ('test', NEW.archive); END;"
    "CREATE TRIGGER series_to_share AFTER INSERT ON series BEGIN"
    " INSERT OR REPLACE INTO shared_pending (kind, name) VALUES ('series', NEW.name); END;",
};
constexpr int kVersion = sizeof kMigrations / sizeof kMigrations[0];

// The columns of a test, in the order of TestOfRow and TestParameters.
const char kTestColumns[] =
    "t.id, t.archive, t.test_file, t.csv_file, t.xls_file, t.archive_sha256, t.saved_at,"
    " t.test_name, t.start_time, t.operator, t.rig, t.series, t.specimen_no, t.specimen_id,"
    " t.excluded_reason, t.s0, t.l0, t.su, t.lu, t.proof_offset, t.break_record,"
    " t.record_count";
const char kInsertTest[] =
    "INSERT INTO tests (id, archive, test_file, csv_file, xls_file, archive_sha256, saved_at,"
    " test_name, start_time, operator, rig, series, specimen_no, specimen_id, excluded_reason,"
    " s0, l0, su, lu, proof_offset, break_record, record_count)"
    " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

StoredTest TestOfRow(const SqlRow& row) {
    StoredTest test;
    test.id = row.Int(0);
    test.archiveName = row.Text(1);
    test.testFileName = row.Text(2);
    test.csvName = row.Text(3);
    test.xlsName = row.Text(4);
    test.archiveSha256 = row.Text(5);
    test.savedAt = row.Text(6);
    test.testName = row.Text(7);
    test.startTime = row.Text(8);
    test.operatorName = row.Text(9);
    test.rigName = row.Text(10);
    test.series = row.Text(11);
    test.specimenNumber = static_cast<int>(row.Int(12));
    test.specimenId = row.Text(13);
    test.excludedReason = row.Text(14);
    test.area = row.Real(15);
    test.gaugeLength = row.Real(16);
    test.finalArea = row.Real(17);
    test.finalGaugeLength = row.Real(18);
    test.proofOffset = row.Real(19);
    test.breakRecord = static_cast<int>(row.Int(20));
    test.recordCount = static_cast<int>(row.Int(21));
    return test;
}

SqlValue Optional(const std::optional<double>& value) {
    return value ? SqlValue(*value) : SqlValue();
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

std::vector<SqlValue> TestParameters(const StoredTest& test, std::int64_t id) {
    return {id,
            test.archiveName,
            test.testFileName,
            test.csvName,
            test.xlsName,
            test.archiveSha256,
            test.savedAt,
            test.testName,
            test.startTime,
            test.operatorName,
            test.rigName.empty() ? HostName() : test.rigName,
            test.series,
            std::int64_t{test.specimenNumber},
            test.specimenId,
            test.excludedReason,
            Optional(test.area),
            Optional(test.gaugeLength),
            Optional(test.finalArea),
            Optional(test.finalGaugeLength),
            Optional(test.proofOffset),
            std::int64_t{test.breakRecord},
            std::int64_t{test.recordCount}};
}

// A value as the results table shows it: up to 4 decimals, trailing zeros dropped.
std::string ValueText(const std::optional<double>& value) {
    if (!value) return "无";
    std::string text = FixedNumber(*value, 4);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

void CompareValue(const std::string& name, const std::optional<double>& before,
                  const std::optional<double>& after, std::vector<std::string>* changes) {
    const std::string was = ValueText(before), is = ValueText(after);
    if (was != is) changes->push_back(name + ": " + was + " -> " + is);
}

void CompareText(const std::string& name, const std::string& before, const std::string& after,
                 std::vector<std::string>* changes) {
    if (before != after)
        changes->push_back(name + ": " + (before.empty() ? "无" : before) + " -> " +
                           (after.empty() ? "无" : after));
}

bool RenameAside(const std::string& pathUtf8, const std::string& asideUtf8) {
    // A journal left beside a database belongs to it: it goes along, or SQLite would play it
    // back into the fresh store.
    for (const char* companion : {"-journal", "-wal", "-shm"}) {
        const std::string from = pathUtf8 + companion;
        struct stat info {};
        if (::lstat(from.c_str(), &info) == 0)
            ::rename(from.c_str(), (asideUtf8 + companion).c_str());
    }
    return ::rename(pathUtf8.c_str(), asideUtf8.c_str()) == 0;
}

std::string FolderOf(const std::string& pathUtf8) {
    const std::size_t slash = pathUtf8.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : pathUtf8.substr(0, slash);
}

bool SyncFolder(const std::string& folderUtf8) {
    const int fd = ::open(folderUtf8.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

std::vector<std::string> ChangesBetween(const StoredTest& before, const StoredTest& after) {
    std::vector<std::string> changes;
    for (const StoredResult& result : after.results) {
        std::optional<double> was;
        for (const StoredResult& old : before.results)
            if (old.name == result.name) was = old.value;
        CompareValue(result.name, was, result.value, &changes);
    }
    for (const StoredResult& old : before.results) {
        bool kept = false;
        for (const StoredResult& result : after.results) kept = kept || result.name == old.name;
        if (!kept) CompareValue(old.name, old.value, std::nullopt, &changes);
    }
    CompareValue("S0", before.area, after.area, &changes);
    CompareValue("L0", before.gaugeLength, after.gaugeLength, &changes);
    CompareValue("Su", before.finalArea, after.finalArea, &changes);
    CompareValue("Lu", before.finalGaugeLength, after.finalGaugeLength, &changes);
    CompareValue("Rp 规定塑性延伸 %", before.proofOffset, after.proofOffset, &changes);
    CompareText("试样编号", before.specimenId, after.specimenId, &changes);
    CompareText("无效原因", before.excludedReason, after.excludedReason, &changes);
    if (before.archiveSha256 != after.archiveSha256) changes.push_back("存档文件内容已改变");
    return changes;
}

std::string ResultsStorePath(const std::string& dataFolderUtf8) {
    std::string folder = dataFolderUtf8;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + "试验记录.sqlite";
}

int ResultsStoreVersion() {
    return kVersion;
}

ResultsStore::ResultsStore() : db_(std::make_unique<SqliteConnection>()) {}
ResultsStore::~ResultsStore() = default;

std::string ResultsStore::Failure(const char* doing) const {
    std::string reason;
    switch (db_->LastFailure()) {
        case SqlFailure::kBusy:
            reason = store_text::Message(store_text::kBusy,
                                         {std::to_string(kStoreBusyTimeoutMs / 1000)});
            break;
        case SqlFailure::kFull:
            reason = store_text::Message(store_text::kFull);
            break;
        case SqlFailure::kDisk:
            reason = store_text::Message(store_text::kDisk, {db_->LastError()});
            break;
        case SqlFailure::kReadOnly:
            reason = store_text::Message(store_text::kReadOnly);
            break;
        case SqlFailure::kNotDatabase:
            reason = store_text::Message(store_text::kDamaged);
            break;
        default:
            reason = store_text::Message(store_text::kError, {db_->LastError()});
    }
    return store_text::Message(store_text::kFailure, {path_, reason, store_text::Message(doing)});
}

bool ResultsStore::Open(const std::string& pathUtf8, std::string* messageUtf8) {
    messageUtf8->clear();
    path_ = pathUtf8;
    if (!db_->Open(path_, kStoreBusyTimeoutMs)) {
        *messageUtf8 = Failure(store_text::kCannotOpen);
        return false;
    }
    std::string finding;
    const bool checked = db_->QuickCheck(&finding);
    if (!checked && db_->LastFailure() != SqlFailure::kNotDatabase) {
        *messageUtf8 = Failure(store_text::kCannotOpen);
        db_->Close();
        return false;
    }
    if (!checked || finding != "ok") {
        db_->Close();
        const std::string aside =
            path_ + ".corrupt-" + LocalTimeText(std::time(nullptr), "%Y%m%d-%H%M%S");
        if (!RenameAside(path_, aside)) {
            *messageUtf8 = store_text::Message(store_text::kDamagedNotMoved,
                                               {path_, aside, std::strerror(errno)});
            return false;
        }
        if (!db_->Open(path_, kStoreBusyTimeoutMs)) {
            *messageUtf8 = Failure(store_text::kCannotCreate);
            return false;
        }
        *messageUtf8 = store_text::Message(store_text::kDamagedMoved, {path_, aside});
    }
    if (!Migrate(messageUtf8)) {
        db_->Close();
        return false;
    }
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    return true;
}

bool ResultsStore::Migrate(std::string* messageUtf8) {
    auto readVersion = [this](int* version) {
        bool exists = false;
        *version = 0;
        if (!db_->TableExists("store_version", &exists)) return false;
        if (!exists) return true;
        return db_->Run("SELECT version FROM store_version", {},
                        [version](const SqlRow& row) { *version = static_cast<int>(row.Int(0)); });
    };
    int version = 0;
    if (!readVersion(&version)) {
        *messageUtf8 = Failure(store_text::kCannotReadVersion);
        return false;
    }
    while (version < kVersion) {
        // Another program may bring the store up at the same time: the version is read
        // again under the write lock.
        bool done = db_->RunScript("BEGIN IMMEDIATE") && readVersion(&version);
        if (done && version < kVersion)
            done = db_->RunScript(kMigrations[version]) &&
                   db_->Run("UPDATE store_version SET version = ?", {std::int64_t{version + 1}});
        done = done && db_->RunScript("COMMIT") && readVersion(&version);
        if (!done) {
            *messageUtf8 = Failure(store_text::kCannotUpgrade);
            db_->RunScript("ROLLBACK");
            return false;
        }
    }
    if (version > kVersion) {
        *messageUtf8 = store_text::Message(
            store_text::kNewerVersion, {path_, std::to_string(version), std::to_string(kVersion)});
        return false;
    }
    return true;
}

bool ResultsStore::Reopen(std::string* messageUtf8) {
    std::string notice;
    const bool opened = Open(path_, &notice);
    if (!opened) *messageUtf8 = notice;
    return opened;
}

bool ResultsStore::Usable(std::string* messageUtf8) {
    if (path_.empty()) {
        *messageUtf8 = store_text::Message(store_text::kNotOpen);
        return false;
    }
    struct stat info {};
    const bool replaced =
        ::stat(path_.c_str(), &info) != 0 || info.st_dev != device_ || info.st_ino != inode_;
    if (db_->IsOpen() && !replaced) return true;
    return Reopen(messageUtf8);
}

bool ResultsStore::WriteTest(const StoredTest& test, const std::string& now) {
    std::int64_t id = 0;
    if (!db_->Run("SELECT id FROM tests WHERE archive = ?", {test.archiveName},
                  [&id](const SqlRow& row) { id = row.Int(0); }))
        return false;
    std::vector<std::string> changes;
    if (id != 0) {
        std::vector<StoredTest> before;
        if (!db_->Run(std::string("SELECT ") + kTestColumns + " FROM tests t WHERE t.id = ?", {id},
                      [&before](const SqlRow& row) { before.push_back(TestOfRow(row)); }) ||
            before.empty() || !ReadDetails(&before.front()))
            return false;
        changes = ChangesBetween(before.front(), test);
        // Replaced whole, under the id it had: its change history stays attached.
        if (!db_->Run("DELETE FROM results WHERE test_id = ?", {id}) ||
            !db_->Run("DELETE FROM notes WHERE test_id = ?", {id}) ||
            !db_->Run("DELETE FROM tests WHERE id = ?", {id}))
            return false;
    } else if (!db_->Run("SELECT COALESCE(MAX(id), 0) + 1 FROM tests", {},
                         [&id](const SqlRow& row) { id = row.Int(0); })) {
        return false;
    }
    if (!db_->Run(kInsertTest, TestParameters(test, id))) return false;
    for (const StoredResult& result : test.results)
        if (!db_->Run("INSERT INTO results (test_id, position, name, value, unit)"
                      " VALUES (?, ?, ?, ?, ?)",
                      {id, std::int64_t{result.position}, result.name, Optional(result.value),
                       result.unit}))
            return false;
    for (const StoredNote& note : test.notes)
        if (!db_->Run("INSERT INTO notes (test_id, position, text) VALUES (?, ?, ?)",
                      {id, std::int64_t{note.position}, note.text}))
            return false;
    std::vector<StoredChange> stamped;
    for (std::string& text : changes) stamped.push_back({now, std::move(text)});
    std::int64_t position = 0;
    if (!db_->Run("SELECT COALESCE(MAX(position), -1) + 1 FROM changes WHERE test_id = ?", {id},
                  [&position](const SqlRow& row) { position = row.Int(0); }))
        return false;
    for (const StoredChange& change : stamped)
        if (!db_->Run("INSERT INTO changes (test_id, position, changed_at, text)"
                      " VALUES (?, ?, ?, ?)",
                      {id, position++, change.time, change.text}))
            return false;
    return true;
}

bool ResultsStore::Write(const std::vector<StoredTest>& tests, std::string* messageUtf8) {
    if (!Usable(messageUtf8)) return false;
    for (int attempt = 0;; ++attempt) {
        if (db_->ReadOnly()) {
            *messageUtf8 = store_text::Message(store_text::kReadOnlyNotEntered, {path_});
            return false;
        }
        if (!db_->RunScript("BEGIN IMMEDIATE")) {
            *messageUtf8 = Failure(store_text::kTestNotEntered);
            return false;
        }
        // A re-index may have put a new store in place while this one waited for the lock.
        struct stat info {};
        const bool replaced =
            ::stat(path_.c_str(), &info) != 0 || info.st_dev != device_ || info.st_ino != inode_;
        if (!replaced || attempt > 0) break;
        db_->RunScript("ROLLBACK");
        if (!Reopen(messageUtf8)) return false;
    }
    const std::string now = LocalTimeText(std::time(nullptr), kStoreTimeFormat);
    bool written = true;
    for (const StoredTest& test : tests) written = written && WriteTest(test, now);
    if (written && db_->RunScript("COMMIT")) return true;
    *messageUtf8 = Failure(store_text::kTestNotEntered);
    db_->RunScript("ROLLBACK");
    return false;
}

bool ResultsStore::Enter(const StoredTest& test, std::string* messageUtf8) {
    return Write({test}, messageUtf8);
}

bool ResultsStore::EnterAll(const std::vector<StoredTest>& tests, std::string* messageUtf8) {
    return Write(tests, messageUtf8);
}

bool ResultsStore::EnterSeries(const StoredSeries& series, std::string* messageUtf8) {
    if (!Usable(messageUtf8)) return false;
    if (db_->RunScript("BEGIN IMMEDIATE") &&
        db_->Run("DELETE FROM series WHERE name = ?", {series.name}) &&
        db_->Run("INSERT INTO series (name, material, method, operator, planned, notes, created)"
                 " VALUES (?, ?, ?, ?, ?, ?, ?)",
                 {series.name, series.material, series.method, series.operatorName,
                  std::int64_t{series.planned}, series.notes, series.created}) &&
        db_->RunScript("COMMIT"))
        return true;
    *messageUtf8 = Failure(store_text::kSeriesNotEntered);
    db_->RunScript("ROLLBACK");
    return false;
}

bool ResultsStore::EnterChanges(const std::string& archiveName,
                                const std::vector<StoredChange>& changes,
                                std::string* messageUtf8) {
    if (!Usable(messageUtf8)) return false;
    if (!db_->RunScript("BEGIN IMMEDIATE")) {
        *messageUtf8 = Failure(store_text::kChangeNotEntered);
        return false;
    }
    std::int64_t id = 0, position = 0;
    bool written = db_->Run("SELECT id FROM tests WHERE archive = ?", {archiveName},
                            [&id](const SqlRow& row) { id = row.Int(0); }) &&
                   db_->Run("SELECT COALESCE(MAX(position), -1) + 1 FROM changes WHERE test_id = ?",
                            {id}, [&position](const SqlRow& row) { position = row.Int(0); });
    if (written && id == 0) {
        db_->RunScript("ROLLBACK");
        *messageUtf8 = store_text::Message(store_text::kNoTest, {archiveName});
        return false;
    }
    for (const StoredChange& change : changes)
        written = written && db_->Run(
                                 "INSERT INTO changes (test_id, position, changed_at, text)"
                                 " VALUES (?, ?, ?, ?)",
                                 {id, position++, change.time, change.text});
    if (written && db_->RunScript("COMMIT")) return true;
    *messageUtf8 = Failure(store_text::kChangeNotEntered);
    db_->RunScript("ROLLBACK");
    return false;
}

bool ResultsStore::ReadDetails(StoredTest* test) {
    test->results.clear();
    test->notes.clear();
    return db_->Run(
               "SELECT position, name, value, unit FROM results WHERE test_id = ?"
               " ORDER BY position",
               {test->id},
               [test](const SqlRow& row) {
                   test->results.push_back(
                       {static_cast<int>(row.Int(0)), row.Text(1), row.Real(2), row.Text(3)});
               }) &&
           db_->Run("SELECT position, text FROM notes WHERE test_id = ? ORDER BY position",
                    {test->id}, [test](const SqlRow& row) {
                        test->notes.push_back({static_cast<int>(row.Int(0)), row.Text(1)});
                    });
}

bool ResultsStore::ReadTests(const std::string& where, const std::vector<std::string>& parameters,
                             std::vector<StoredTest>* tests, std::string* messageUtf8) {
    tests->clear();
    if (!Usable(messageUtf8)) return false;
    std::vector<SqlValue> values(parameters.begin(), parameters.end());
    if (db_->Run(std::string("SELECT ") + kTestColumns + " FROM tests t " + where, values,
                 [tests](const SqlRow& row) { tests->push_back(TestOfRow(row)); }))
        return true;
    *messageUtf8 = Failure(store_text::kCannotRead);
    tests->clear();
    return false;
}

bool ResultsStore::ListTests(const TestQuery& query, std::vector<TestListing>* tests,
                             std::string* messageUtf8) {
    tests->clear();
    if (!Usable(messageUtf8)) return false;
    // Only fixed texts go into the statement; everything the operator typed is a parameter.
    std::string sql =
        "SELECT t.id, t.archive, t.saved_at, t.test_name, t.start_time, t.operator, t.rig,"
        " t.series, t.specimen_no, t.specimen_id, t.excluded_reason FROM tests t WHERE 1 = 1";
    std::vector<SqlValue> parameters;
    if (!query.text.empty()) {
        std::string pattern = "%";
        for (char c : query.text) {
            if (c == '%' || c == '_' || c == '\\') pattern += '\\';
            pattern += c;
        }
        pattern += '%';
        sql +=
            " AND (t.test_name LIKE ? ESCAPE '\\' OR t.series LIKE ? ESCAPE '\\'"
            " OR t.operator LIKE ? ESCAPE '\\' OR t.series IN (SELECT name FROM series"
            " WHERE material LIKE ? ESCAPE '\\'))";
        parameters.insert(parameters.end(), 4, pattern);
    }
    if (!query.savedFrom.empty()) {
        sql += " AND t.saved_at >= ?";
        parameters.push_back(query.savedFrom);
    }
    if (!query.savedBefore.empty()) {
        sql += " AND t.saved_at < ?";
        parameters.push_back(query.savedBefore);
    }
    if (!query.series.empty()) {
        sql += " AND t.series = ?";
        parameters.push_back(query.series);
    }
    static const char* const kSortColumns[] = {"t.saved_at", "t.test_name", "t.start_time",
                                               "t.operator", "t.rig",       "t.series"};
    const char* direction = query.descending ? " DESC" : " ASC";
    // A text matches anywhere in a name, so every test is looked at: reading the table in its
    // order and sorting what matches is several times faster than walking the sort column's
    // index, which is what the planner would do for the order alone ("|| ''" keeps it off).
    sql += std::string(" ORDER BY ") + kSortColumns[static_cast<int>(query.sortBy)] +
           (query.text.empty() ? "" : " || ''") + direction;
    if (query.sortBy == TestColumn::kSeries) sql += std::string(", t.specimen_no") + direction;
    sql += std::string(", t.id") + direction;
    if (query.limit > 0) {
        sql += " LIMIT ?";
        parameters.push_back(std::int64_t{query.limit});
        tests->reserve(static_cast<std::size_t>(query.limit));
    }
    if (db_->Run(sql, parameters, [tests](const SqlRow& row) {
            tests->push_back({row.Int(0), row.Text(1), row.Text(2), row.Text(3), row.Text(4),
                              row.Text(5), row.Text(6), row.Text(7), static_cast<int>(row.Int(8)),
                              row.Text(9), row.Text(10)});
        }))
        return true;
    *messageUtf8 = Failure(store_text::kCannotRead);
    tests->clear();
    return false;
}

bool ResultsStore::TestsOfSeries(const std::string& seriesName, std::vector<StoredTest>* tests,
                                 std::string* messageUtf8) {
    if (!ReadTests("WHERE t.series = ? ORDER BY t.specimen_no, t.id", {seriesName}, tests,
                   messageUtf8))
        return false;
    for (StoredTest& test : *tests)
        if (!ReadDetails(&test)) {
            *messageUtf8 = Failure(store_text::kCannotRead);
            tests->clear();
            return false;
        }
    return true;
}

bool ResultsStore::ReadTest(const std::string& archiveName, StoredTest* test,
                            std::string* messageUtf8) {
    std::vector<StoredTest> found;
    if (!ReadTests("WHERE t.archive = ?", {archiveName}, &found, messageUtf8)) return false;
    if (found.empty()) {
        *messageUtf8 = store_text::Message(store_text::kNoTest, {archiveName});
        return false;
    }
    if (!ReadDetails(&found.front())) {
        *messageUtf8 = Failure(store_text::kCannotRead);
        return false;
    }
    *test = std::move(found.front());
    return true;
}

bool ResultsStore::ReadSeries(const std::string& name, StoredSeries* series,
                              std::string* messageUtf8) {
    if (!Usable(messageUtf8)) return false;
    bool found = false;
    if (!db_->Run("SELECT name, material, method, operator, planned, notes, created FROM series"
                  " WHERE name = ?",
                  {name}, [&](const SqlRow& row) {
                      found = true;
                      *series = {row.Text(0),
                                 row.Text(1),
                                 row.Text(2),
                                 row.Text(3),
                                 static_cast<int>(row.Int(4)),
                                 row.Text(5),
                                 row.Text(6)};
                  })) {
        *messageUtf8 = Failure(store_text::kCannotRead);
        return false;
    }
    if (!found) *messageUtf8 = store_text::Message(store_text::kNoSeries, {name});
    return found;
}

bool ResultsStore::ChangesOf(const std::string& archiveName, std::vector<StoredChange>* changes,
                             std::string* messageUtf8) {
    changes->clear();
    if (!Usable(messageUtf8)) return false;
    if (db_->Run("SELECT c.changed_at, c.text FROM changes c JOIN tests t ON t.id = c.test_id"
                 " WHERE t.archive = ? ORDER BY c.position",
                 {archiveName}, [changes](const SqlRow& row) {
                     changes->push_back({row.Text(0), row.Text(1)});
                 }))
        return true;
    *messageUtf8 = Failure(store_text::kCannotRead);
    return false;
}

bool ResultsStore::ArchiveMatches(const StoredTest& test, std::string* messageUtf8) const {
    const std::string path = FolderOf(path_) + "/" + test.archiveName;
    std::string hex, error;
    if (!Sha256OfFile(path, &hex, &error)) {
        if (messageUtf8) *messageUtf8 = error;
        return false;
    }
    if (hex == test.archiveSha256) return true;
    if (messageUtf8) *messageUtf8 = store_text::Message(store_text::kArchiveChanged, {path});
    return false;
}

bool ReplaceStoreFile(const std::string& builtPathUtf8, const std::string& storePathUtf8,
                      std::string* messageUtf8) {
    // The old store's lock keeps every writer out until the new file is in place; a writer
    // that then gets the lock sees another file at the path and reopens.
    SqliteConnection old;
    bool locked = false;
    struct stat info {};
    if (::stat(storePathUtf8.c_str(), &info) == 0 && old.Open(storePathUtf8, kStoreBusyTimeoutMs)) {
        locked = old.RunScript("BEGIN EXCLUSIVE");
        if (!locked && old.LastFailure() == SqlFailure::kBusy) {
            *messageUtf8 =
                store_text::Message(store_text::kRebuiltBusy,
                                    {storePathUtf8, std::to_string(kStoreBusyTimeoutMs / 1000)});
            return false;
        }
    }
    const bool renamed = ::rename(builtPathUtf8.c_str(), storePathUtf8.c_str()) == 0;
    const int error = errno;
    if (renamed) {
        // The built store's journal holds no transaction: its header is zeroed.
        ::unlink((builtPathUtf8 + "-journal").c_str());
        SyncFolder(FolderOf(storePathUtf8));
    }
    if (locked) old.RunScript("ROLLBACK");
    if (!renamed)
        *messageUtf8 = store_text::Message(store_text::kRebuiltNotMoved,
                                           {storePathUtf8, std::strerror(error)});
    return renamed;
}
