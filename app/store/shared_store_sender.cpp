#include "store/shared_store_sender.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <vector>

#include "common/local_time.h"
#include "store/results_store.h"
#include "store/server_store.h"
#include "store/sqlite_connection.h"
#include "store/store_texts.h"

namespace {

// A test or series the queue holds: seq is the number of its latest entry.
struct Queued {
    std::int64_t seq = 0;
    bool series = false;
    std::string name;
    bool present = false;  // still in the local store
    std::string sentDigest;
};

// Series first, so that a lab sees a series before its specimens; then the oldest save.
bool ReadQueue(SqliteConnection& queue, std::vector<Queued>* items) {
    items->clear();
    return queue.Run(
        "SELECT p.seq, p.kind = 'series', p.name,"
        " CASE WHEN p.kind = 'test' THEN t.id IS NOT NULL"
        " ELSE EXISTS (SELECT 1 FROM series WHERE name = p.name) END,"
        " COALESCE(s.content_sha256, '')"
        " FROM shared_pending p"
        " LEFT JOIN shared_sent s ON s.kind = p.kind AND s.name = p.name"
        " LEFT JOIN tests t ON p.kind = 'test' AND t.archive = p.name"
        " ORDER BY p.kind = 'test', t.saved_at, t.id, p.seq",
        {}, [items](const SqlRow& row) {
            items->push_back(
                {row.Int(0), row.Int(1) != 0, row.Text(2), row.Int(3) != 0, row.Text(4)});
        });
}

// What the server committed: the item and the digest of what went (empty: nothing went).
struct Sent {
    const Queued* item;
    std::string digest;
};
// Marks are written this many at a time: each local commit waits for the disk.
constexpr std::size_t kMarksPerCommit = 50;

// Takes the items off the queue in one transaction, unless one was entered again meanwhile
// (its seq then differs and it goes once more), and keeps what the server now has. Failed,
// they stay queued and go again, which the server takes as the same content.
bool MarkSent(SqliteConnection& queue, std::vector<Sent>* sent) {
    if (sent->empty()) return true;
    bool done = queue.RunScript("BEGIN IMMEDIATE");
    const std::string now = LocalTimeText(std::time(nullptr), kStoreTimeFormat);
    for (const Sent& mark : *sent)
        done = done &&
               (mark.digest.empty() ||
                queue.Run("INSERT OR REPLACE INTO shared_sent (kind, name, content_sha256,"
                          " sent_at) VALUES (?, ?, ?, ?)",
                          {std::string(mark.item->series ? "series" : "test"), mark.item->name,
                           mark.digest, now})) &&
               queue.Run("DELETE FROM shared_pending WHERE seq = ?", {mark.item->seq});
    done = done && queue.RunScript("COMMIT");
    if (!done) queue.RunScript("ROLLBACK");
    sent->clear();
    return done;
}

}  // namespace

SharedStoreSender::SharedStoreSender(const SharedStoreConf& conf,
                                     const std::string& localStorePathUtf8, int retryMs)
    : conf_(conf), localPath_(localStorePathUtf8), retryMs_(retryMs) {
    cancelFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
}

SharedStoreSender::~SharedStoreSender() {
    Stop();
}

void SharedStoreSender::Notify() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        notified_ = true;
    }
    wake_.notify_all();
}

SharedStoreState SharedStoreSender::State() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

bool SharedStoreSender::Stopping() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return stopping_;
}

void SharedStoreSender::Stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    // Readable from now on: a server call under way ends at once.
    if (cancelFd_ >= 0) eventfd_write(cancelFd_, 1);
    if (thread_.joinable()) thread_.join();
    if (cancelFd_ >= 0) ::close(cancelFd_);
    cancelFd_ = -1;
}

void SharedStoreSender::Report(bool connected, int waiting, const std::string& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
    state_.connected = connected;
    state_.waiting = waiting;
    state_.lastError = error;
}

void SharedStoreSender::Run() {
    ResultsStore local;
    bool localOpen = false;
    ServerStore server(cancelFd_);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        notified_ = false;
        lock.unlock();
        const bool waiting = Pass(local, &localOpen, server);
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(waiting ? retryMs_ : kIdleCheckMs),
                       [this] { return stopping_ || notified_; });
    }
}

bool SharedStoreSender::Pass(ResultsStore& local, bool* localOpen, ServerStore& server) {
    std::string error;
    // Opened, the store has the queue's tables.
    if (!*localOpen && !(*localOpen = local.Open(localPath_, &error))) {
        Report(server.IsOpen(), State().waiting, error);
        return true;
    }
    // A connection of its own for the queue, opened afresh: a re-index may have put another
    // file in the store's place since the last pass.
    SqliteConnection queue;
    std::vector<Queued> items;
    if (!queue.Open(localPath_, kStoreBusyTimeoutMs) || !ReadQueue(queue, &items)) {
        Report(server.IsOpen(), State().waiting,
               store_text::Message(store_text::kQueueUnreadable, {localPath_, queue.LastError()}));
        return true;
    }
    if (items.empty()) {
        Report(server.IsOpen(), 0, error);
        return false;
    }
    // A connection kept from an earlier pass may have been closed by the server since (a
    // restart): found so, it is made again at once rather than after the pause.
    bool fresh = !server.IsOpen();
    if (fresh) {
        // The window learns what waits before a slow connection attempt ends.
        Report(false, static_cast<int>(items.size()), State().lastError);
        if (!server.Open(conf_, &error)) {
            Report(false, static_cast<int>(items.size()), error);
            return true;
        }
    }
    // True when the item needs nothing more; *digest is what went.
    auto send = [&](const Queued& item, std::string* digest, std::string* message) {
        // One gone from the local store has nothing left to send: it only leaves the queue.
        if (!item.present) return true;
        if (item.series) {
            StoredSeries series;
            if (!local.ReadSeries(item.name, &series, message)) return false;
            *digest = ContentSha256(series);
            return *digest == item.sentDigest || server.EnterSeries(series, message);
        }
        StoredTest test;
        if (!local.ReadTest(item.name, &test, message)) return false;
        test.rigName = conf_.rig;
        *digest = ContentSha256(test);
        return *digest == item.sentDigest || server.Enter(test, message);
    };
    std::vector<Sent> marks;
    auto mark = [&] {
        if (!MarkSent(queue, &marks))
            error =
                store_text::Message(store_text::kQueueUnwritable, {localPath_, queue.LastError()});
    };
    for (const Queued& item : items) {
        if (Stopping()) break;
        std::string message, digest;
        bool sent = send(item, &digest, &message);
        if (!sent && !server.IsOpen() && !fresh && !Stopping()) {
            fresh = true;
            sent = server.Open(conf_, &message) && send(item, &digest, &message);
        }
        if (sent) marks.push_back({&item, digest});
        if (marks.size() >= kMarksPerCommit) mark();
        if (!message.empty()) error = message;
        if (!server.IsOpen()) break;
    }
    mark();
    std::int64_t waiting = static_cast<std::int64_t>(items.size());
    queue.Run("SELECT COUNT(*) FROM shared_pending", {},
              [&waiting](const SqlRow& row) { waiting = row.Int(0); });
    Report(server.IsOpen(), static_cast<int>(waiting), error);
    return waiting > 0;
}
