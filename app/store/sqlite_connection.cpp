#include "store/sqlite_connection.h"

#include <sqlite3.h>

std::string SqlRow::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    if (text == nullptr) return std::string();
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::int64_t SqlRow::Int(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::optional<double> SqlRow::Real(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(statement_, column);
}

SqliteConnection::~SqliteConnection() {
    Close();
}

bool SqliteConnection::Open(const std::string& pathUtf8, int busyTimeoutMs) {
    Close();
    failure_ = SqlFailure::kNone;
    error_.clear();
    const int code =
        sqlite3_open_v2(pathUtf8.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        Fail(code);
        Close();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    // Room for the tests table of a large store, so that a list reads it from memory.
    sqlite3_exec(db_, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    // A journal kept between transactions, its header zeroed, spares creating and deleting a
    // file at each commit, which costs more than the commit's own writes. A database put in
    // WAL mode by another program stays in it. Not waited for: while another program holds
    // the file this connection journals as SQLite does by default. A file that is not a
    // database fails here harmlessly and is found out by the check after the opening.
    std::string mode;
    if (Run("PRAGMA journal_mode", {}, [&mode](const SqlRow& row) { mode = row.Text(0); }) &&
        mode == "delete")
        Run("PRAGMA journal_mode = PERSIST");
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    failure_ = SqlFailure::kNone;
    error_.clear();
    return true;
}

void SqliteConnection::Close() {
    for (auto& entry : prepared_) sqlite3_finalize(entry.second);
    prepared_.clear();
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
}

bool SqliteConnection::ReadOnly() const {
    return db_ != nullptr && sqlite3_db_readonly(db_, "main") == 1;
}

bool SqliteConnection::Fail(int code) {
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            failure_ = SqlFailure::kBusy;
            break;
        case SQLITE_FULL:
            failure_ = SqlFailure::kFull;
            break;
        case SQLITE_IOERR:
            failure_ = SqlFailure::kDisk;
            break;
        case SQLITE_READONLY:
        case SQLITE_PERM:
            failure_ = SqlFailure::kReadOnly;
            break;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            failure_ = SqlFailure::kNotDatabase;
            break;
        default:
            failure_ = SqlFailure::kOther;
    }
    error_ = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    return false;
}

sqlite3_stmt* SqliteConnection::Prepared(const std::string& sql) {
    const auto found = prepared_.find(sql);
    if (found != prepared_.end()) return found->second;
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (code != SQLITE_OK) {
        Fail(code);
        return nullptr;
    }
    prepared_.emplace(sql, statement);
    return statement;
}

bool SqliteConnection::Run(const std::string& sql, const std::vector<SqlValue>& parameters,
                           const std::function<void(const SqlRow&)>& eachRow) {
    failure_ = SqlFailure::kNone;
    error_.clear();
    if (db_ == nullptr) {
        failure_ = SqlFailure::kOther;
        error_ = "not open";
        return false;
    }
    sqlite3_stmt* statement = Prepared(sql);
    if (statement == nullptr) return false;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        const SqlValue& value = parameters[i];
        if (const auto* integer = std::get_if<std::int64_t>(&value))
            sqlite3_bind_int64(statement, at, *integer);
        else if (const auto* real = std::get_if<double>(&value))
            sqlite3_bind_double(statement, at, *real);
        else if (const auto* text = std::get_if<std::string>(&value))
            sqlite3_bind_text(statement, at, text->data(), static_cast<int>(text->size()),
                              SQLITE_STATIC);
        else
            sqlite3_bind_null(statement, at);
    }
    int code;
    const SqlRow row(statement);
    while ((code = sqlite3_step(statement)) == SQLITE_ROW)
        if (eachRow) eachRow(row);
    if (code != SQLITE_DONE) Fail(code);
    // The texts were bound without a copy: they must not outlive this call in the statement.
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return code == SQLITE_DONE;
}

bool SqliteConnection::RunScript(const std::string& sql) {
    failure_ = SqlFailure::kNone;
    error_.clear();
    const int code = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? true : Fail(code);
}

bool SqliteConnection::TableExists(const std::string& name, bool* exists) {
    *exists = false;
    return Run("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", {name},
               [exists](const SqlRow&) { *exists = true; });
}

bool SqliteConnection::QuickCheck(std::string* finding) {
    finding->clear();
    return Run("PRAGMA quick_check(1)", {}, [finding](const SqlRow& row) {
        if (finding->empty()) *finding = row.Text(0);
    });
}
