// The one class that speaks to PostgreSQL (libpq): a connection that runs plain SQL with "$1"
// parameters and hands the rows over one at a time, as SqliteConnection does for the local
// store. Every wait on the network is bounded and can be cut short from another thread
// through a cancel descriptor, so that a thread stopping the sender never waits on a server
// that does not answer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/sqlite_connection.h"

struct pg_conn;
struct pg_result;

// The current row of a query; good only inside the callback that receives it.
class PgRow {
  public:
    PgRow(const pg_result* result, int row) : result_(result), row_(row) {}
    std::string Text(int column) const;
    std::int64_t Int(int column) const;
    std::optional<double> Real(int column) const;

  private:
    const pg_result* result_;
    int row_;
};

class PgConnection {
  public:
    // A readable cancelFd (an eventfd, a pipe) ends every wait at once with a failure; -1 for
    // none.
    explicit PgConnection(int cancelFd = -1) : cancelFd_(cancelFd) {}
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects with the keywords (taken literally: a dbname is never read as a connection
    // string), giving up after connectTimeoutMs.
    bool Open(const std::vector<std::pair<std::string, std::string>>& keywords,
              int connectTimeoutMs);
    void Close();
    // Connected, and no call found the connection broken since.
    bool IsOpen() const { return conn_ != nullptr; }

    // Runs one statement; eachRow (when given) sees every row it returns. A server that does
    // not answer within the statement timeout, or a broken connection, closes the connection.
    bool Run(const std::string& sql, const std::vector<SqlValue>& parameters = {},
             const std::function<void(const PgRow&)>& eachRow = {});
    // Several statements without parameters or rows (a schema migration, BEGIN, COMMIT).
    bool RunScript(const std::string& sql);

    // The server's or libpq's words on the last failure, one line.
    const std::string& LastError() const { return error_; }

    static constexpr int kStatementTimeoutMs = 60000;

  private:
    bool Await(bool forWrite, std::int64_t deadlineMs);
    bool Collect(const std::function<void(const PgRow&)>& eachRow);
    bool Fail(const std::string& error);

    int cancelFd_;
    pg_conn* conn_ = nullptr;
    std::string error_;
};
