// Sends the tests and series of the local store to the lab's shared server store, on a thread
// of its own: the window's thread drives the safety tick and never waits on the network.
//
// The local store is always written first; its queue (tables shared_pending and shared_sent,
// filled by every entry of a test or a series) says what the server does not have yet. The
// sender takes the queue oldest save first, sends each with its results and notes in one
// server transaction, and marks it sent only after the server committed it, with the SHA-256
// of its content: a test entered again with other content (a re-evaluation, Su typed later)
// goes again, one entered again as it was does not. While the server cannot be reached
// nothing fails: the queue waits, and the sender tries again every few seconds. The queue
// fills without a shared store too: a rig given the file later sends all it holds.
//
// How the program uses it:
//   SharedStoreConf conf;
//   std::string message;
//   switch (LoadSharedStoreConf(DataFolderPath(), &conf, &message)) {
//       case SharedStoreConfStatus::kAbsent: break;            // no shared store
//       case SharedStoreConfStatus::kRefused: show(message); break;
//       case SharedStoreConfStatus::kReady:                     // after the local store opened
//           sender = std::make_unique<SharedStoreSender>(conf, ResultsStorePath(DataFolderPath()));
//   }
//   // after each successful ResultsStore::Enter / EnterSeries / re-index:
//   if (sender) sender->Notify();
//   // a timer of the window, every second or so:  const SharedStoreState s = sender->State();
//   // at the end, before the local store goes:   sender->Stop();
// None of these calls waits on the network; Stop waits only for a local store call under way.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "store/shared_store_conf.h"

class ResultsStore;
class ServerStore;

struct SharedStoreState {
    bool connected = false;  // the server answered at the last attempt
    int waiting = 0;         // tests and series the server does not have yet
    std::string lastError;   // UTF-8, for the operator; empty once everything went
};

class SharedStoreSender {
  public:
    // Starts the thread, which opens its own connections to the local store and the server;
    // it returns at once. retryMs: the pause before the next attempt while something waits.
    SharedStoreSender(const SharedStoreConf& conf, const std::string& localStorePathUtf8,
                      int retryMs = kRetryMs);
    ~SharedStoreSender();
    SharedStoreSender(const SharedStoreSender&) = delete;
    SharedStoreSender& operator=(const SharedStoreSender&) = delete;

    // The local store has something new: the sender looks at once.
    void Notify();
    // From any thread.
    SharedStoreState State() const;
    // Ends the thread: a server call under way is cut short. Called again, does nothing.
    void Stop();

    static constexpr int kRetryMs = 5000;
    // With nothing waiting the sender still looks this often, for an entry it was not told of.
    static constexpr int kIdleCheckMs = 60000;

  private:
    void Run();
    bool Pass(ResultsStore& local, bool* localOpen, ServerStore& server);
    bool Stopping() const;
    void Report(bool connected, int waiting, const std::string& error);

    const SharedStoreConf conf_;
    const std::string localPath_;
    const int retryMs_;
    int cancelFd_ = -1;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool notified_ = true;
    bool stopping_ = false;
    SharedStoreState state_;

    std::thread thread_;
};
