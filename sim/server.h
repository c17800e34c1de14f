// Serves cards as driver instance sockets <dir>/EZUSB-<d> and a line-based control socket
// <dir>/dqx7460-sim.ctl. Every accepted connection gets a thread of its own, so a blocked
// peer never stalls another; each request is answered before the next one is read.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "card.h"

namespace sim {

// True when the folder belongs to this user and nobody else may write to it; otherwise
// false with the reason. Sockets in any other folder could be served by someone else.
bool TrustedFolder(const std::string& dir, std::string* error);

class Server {
  public:
    // One command line in, one reply line (without its newline) out; *quit set asks for
    // onQuit to run once the reply has gone out.
    using ControlHandler = std::function<std::string(const std::string& line, bool* quit)>;

    // Each client is a thread: a peer that opens connections without end is turned away
    // (its connection is closed at once) while this many are open.
    static constexpr std::size_t kMaxClients = 64;
    // A control client silent for this long is dropped, so that idle clients cannot hold
    // every place and lock out the program's own connections.
    static constexpr std::chrono::seconds kControlIdleLimit{5};

    Server(std::string dir, ControlHandler control, std::function<void()> onQuit);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Before Start: serve this card on driver instance 0..15.
    void AddInstance(int instance, Card& card);

    // Creates the folder (mode 0700) when missing, binds every socket and starts accepting.
    // False (with a message) when the folder is not this user's alone (TrustedFolder) or a
    // socket cannot be bound, for example because another simulator already serves it;
    // nothing is left behind then.
    bool Start(std::string* error);
    // Closes every connection, joins the threads and removes the sockets.
    void Stop();

    const std::string& Dir() const { return dir_; }

  private:
    struct Listener {
        int fd = -1;
        std::string path;
        Card* card = nullptr;  // null for the control socket
    };
    struct Connection {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void AcceptLoop();
    void ServeInstance(Connection& connection, Card& card);
    void ServeControl(Connection& connection);
    void ReapFinished();
    void CloseListeners();

    std::string dir_;
    ControlHandler control_;
    std::function<void()> onQuit_;
    std::vector<Listener> listeners_;
    std::thread acceptThread_;
    int wakePipe_[2] = {-1, -1};
    std::mutex connectionsMutex_;
    std::list<Connection> connections_;
    bool running_ = false;
};

}  // namespace sim
