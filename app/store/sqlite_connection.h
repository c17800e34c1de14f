// The one class that speaks to SQLite: a connection that runs plain SQL with "?" parameters
// and hands the rows over one at a time. The results store goes through nothing else, so that
// another database with the same schema needs only a class like this one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A parameter: NULL, an integer, a real or a text (UTF-8).
using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// Why a statement failed, as far as the caller acts on it.
enum class SqlFailure { kNone, kBusy, kFull, kDisk, kReadOnly, kNotDatabase, kOther };

// The current row of a query; good only inside the callback that receives it.
class SqlRow {
  public:
    explicit SqlRow(sqlite3_stmt* statement) : statement_(statement) {}
    std::string Text(int column) const;
    std::int64_t Int(int column) const;
    std::optional<double> Real(int column) const;

  private:
    sqlite3_stmt* statement_;
};

class SqliteConnection {
  public:
    SqliteConnection() = default;
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens (creating when missing) the database file; a statement that finds it locked waits
    // up to busyTimeoutMs. A file that cannot be written is opened for reading only.
    bool Open(const std::string& pathUtf8, int busyTimeoutMs);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    bool ReadOnly() const;

    // Runs one statement; eachRow (when given) sees every row it returns and runs no
    // statement itself. Statements are prepared once per connection and kept.
    bool Run(const std::string& sql, const std::vector<SqlValue>& parameters = {},
             const std::function<void(const SqlRow&)>& eachRow = {});
    // Several statements without parameters or rows (a schema migration).
    bool RunScript(const std::string& sql);
    bool TableExists(const std::string& name, bool* exists);
    // The quick structural check: *finding is "ok" when it finds nothing, else its first
    // finding. False when the check cannot run (a file that is not a database, a lock).
    bool QuickCheck(std::string* finding);

    SqlFailure LastFailure() const { return failure_; }
    const std::string& LastError() const { return error_; }

  private:
    bool Fail(int code);
    sqlite3_stmt* Prepared(const std::string& sql);

    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*> prepared_;
    SqlFailure failure_ = SqlFailure::kNone;
    std::string error_;
};
