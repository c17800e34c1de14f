#include "store/pg_connection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <cerrno>
#include <charconv>
#include <chrono>

#include "common/number_text.h"
#include "store/store_texts.h"

namespace {

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string OneLine(const char* text) {
    std::string line = text == nullptr ? std::string() : text;
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    for (char& c : line)
        if (c == '\n') c = ' ';
    return line;
}

}  // namespace

std::string PgRow::Text(int column) const {
    const char* text = PQgetvalue(result_, row_, column);
    return std::string(text, static_cast<std::size_t>(PQgetlength(result_, row_, column)));
}

std::int64_t PgRow::Int(int column) const {
    const char* text = PQgetvalue(result_, row_, column);
    std::int64_t value = 0;
    std::from_chars(text, text + PQgetlength(result_, row_, column), value);
    return value;
}

std::optional<double> PgRow::Real(int column) const {
    if (PQgetisnull(result_, row_, column)) return std::nullopt;
    double value = 0;
    ParseNumber(PQgetvalue(result_, row_, column), &value);
    return value;
}

PgConnection::~PgConnection() {
    Close();
}

void PgConnection::Close() {
    if (conn_ != nullptr) PQfinish(conn_);
    conn_ = nullptr;
}

bool PgConnection::Fail(const std::string& error) {
    error_ = error;
    if (conn_ != nullptr && PQstatus(conn_) != CONNECTION_OK) Close();
    return false;
}

bool PgConnection::Await(bool forWrite, std::int64_t deadlineMs) {
    pollfd fds[2] = {{PQsocket(conn_), static_cast<short>(forWrite ? POLLOUT : POLLIN), 0},
                     {cancelFd_, POLLIN, 0}};
    for (;;) {
        const std::int64_t left = deadlineMs - NowMs();
        if (left <= 0) {
            error_ = store_text::Message(store_text::kNoAnswer);
            Close();
            return false;
        }
        const int ready = ::poll(fds, cancelFd_ >= 0 ? 2 : 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (cancelFd_ >= 0 && (fds[1].revents & POLLIN))) {
            error_ = store_text::Message(store_text::kStopped);
            Close();
            return false;
        }
        if (ready > 0) return true;
    }
}

bool PgConnection::Open(const std::vector<std::pair<std::string, std::string>>& keywords,
                        int connectTimeoutMs) {
    Close();
    error_.clear();
    std::vector<const char*> keys, values;
    for (const auto& keyword : keywords) {
        keys.push_back(keyword.first.c_str());
        values.push_back(keyword.second.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectStartParams(keys.data(), values.data(), 0);
    if (conn_ == nullptr) return Fail(store_text::Message(store_text::kNoMemory));
    // Polled, connect_timeout is the caller's to keep: libpq only keeps it when it blocks.
    const std::int64_t deadline = NowMs() + connectTimeoutMs;
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    while (PQstatus(conn_) != CONNECTION_BAD && status != PGRES_POLLING_OK &&
           status != PGRES_POLLING_FAILED) {
        if (!Await(status == PGRES_POLLING_WRITING, deadline)) return false;
        status = PQconnectPoll(conn_);
    }
    if (status != PGRES_POLLING_OK) {
        error_ = OneLine(PQerrorMessage(conn_));
        Close();
        return false;
    }
    if (PQsetnonblocking(conn_, 1) != 0) return Fail(OneLine(PQerrorMessage(conn_)));
    return true;
}

bool PgConnection::Collect(const std::function<void(const PgRow&)>& eachRow) {
    const std::int64_t deadline = NowMs() + kStatementTimeoutMs;
    int flushed;
    while ((flushed = PQflush(conn_)) == 1)
        if (!Await(true, deadline)) return false;
    if (flushed < 0) return Fail(OneLine(PQerrorMessage(conn_)));
    bool ok = true;
    for (;;) {
        while (PQisBusy(conn_)) {
            if (!Await(false, deadline)) return false;
            if (!PQconsumeInput(conn_)) return Fail(OneLine(PQerrorMessage(conn_)));
        }
        PGresult* result = PQgetResult(conn_);
        if (result == nullptr) break;
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK && eachRow) {
            for (int row = 0; row < PQntuples(result); ++row) eachRow(PgRow(result, row));
        } else if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && ok) {
            error_ = OneLine(PQresultErrorMessage(result));
            ok = false;
        }
        PQclear(result);
    }
    if (PQstatus(conn_) != CONNECTION_OK)
        return Fail(ok ? store_text::Message(store_text::kConnectionLost) : error_);
    return ok;
}

bool PgConnection::Run(const std::string& sql, const std::vector<SqlValue>& parameters,
                       const std::function<void(const PgRow&)>& eachRow) {
    error_.clear();
    if (conn_ == nullptr) return Fail(store_text::Message(store_text::kNotConnected));
    std::vector<std::string> texts(parameters.size());
    std::vector<const char*> values(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const SqlValue& value = parameters[i];
        if (const auto* integer = std::get_if<std::int64_t>(&value))
            texts[i] = std::to_string(*integer);
        else if (const auto* real = std::get_if<double>(&value))
            texts[i] = PlainNumber(*real);
        else if (const auto* text = std::get_if<std::string>(&value))
            texts[i] = *text;
        values[i] = std::holds_alternative<std::monostate>(value) ? nullptr : texts[i].c_str();
    }
    if (!PQsendQueryParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                           values.data(), nullptr, nullptr, 0))
        return Fail(OneLine(PQerrorMessage(conn_)));
    return Collect(eachRow);
}

bool PgConnection::RunScript(const std::string& sql) {
    error_.clear();
    if (conn_ == nullptr) return Fail(store_text::Message(store_text::kNotConnected));
    if (!PQsendQuery(conn_, sql.c_str())) return Fail(OneLine(PQerrorMessage(conn_)));
    return Collect({});
}
