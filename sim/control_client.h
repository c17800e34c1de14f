// Client of the simulator's control socket, for tests, scripts and demonstrations.
#pragma once

#include <chrono>
#include <string>

namespace sim {

class ControlClient {
  public:
    ControlClient() = default;
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    // Connects to <dir>/dqx7460-sim.ctl. A reply that takes longer than timeoutMs fails.
    bool Connect(const std::string& dir, std::string* error, int timeoutMs = 5000);
    // Sends one command and waits for its reply line (without the newline). False when the
    // connection failed; the client is then unusable. A connection left idle long enough
    // for the simulator to drop it is made again first.
    bool Send(const std::string& command, std::string* reply);
    void Close();

  private:
    bool Open(std::string* error);

    int fd_ = -1;
    std::string pending_;
    std::string dir_;
    int timeoutMs_ = 5000;
    std::chrono::steady_clock::time_point lastUse_{};
};

}  // namespace sim
