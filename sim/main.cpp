// dqx7460-sim: serves simulated DQX7460 cards, with a tensile rig behind the first, as driver
// instance sockets; or, with --send, passes one control command to a running simulator.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "card.h"
#include "control.h"
#include "control_client.h"
#include "options.h"
#include "paths.h"
#include "rig.h"
#include "server.h"
#include "sim_clock.h"
#ifdef DQX7460_SIM_PANEL
#include "panel/rig_panel.h"
#endif

namespace {

// How often the rig refreshes the sensors and inputs between requests: finely while it
// moves or a button is down; at rest only the sensors' noise changes, still more often than
// the program reads it at its default period. The program's output pulses are latched by
// the card, so a slower tick never misses one.
constexpr std::chrono::milliseconds kActiveRigPeriod(2);
constexpr std::chrono::milliseconds kRestingRigPeriod(10);

int SendCommand(const std::string& dir, const std::string& command) {
    sim::ControlClient client;
    std::string error;
    if (!sim::TrustedFolder(dir, &error) || !client.Connect(dir, &error)) {
        std::fprintf(stderr, "dqx7460-sim: %s\n", error.c_str());
        return 2;
    }
    std::string reply;
    if (!client.Send(command, &reply)) {
        std::fprintf(stderr, "dqx7460-sim: no reply from the simulator\n");
        return 2;
    }
    std::printf("%s\n", reply.c_str());
    return reply.rfind("ok", 0) == 0 ? 0 : 1;
}

// Keeps the rig moving in real time while nothing else asks it to.
class RigTicker {
  public:
    explicit RigTicker(sim::Rig& rig) : thread_([this, &rig] { Run(rig); }) {}
    ~RigTicker() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

  private:
    void Run(sim::Rig& rig) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            lock.unlock();
            rig.Update();
            const auto period =
                sim::RigIsActive(rig.State()) ? kActiveRigPeriod : kRestingRigPeriod;
            lock.lock();
            wake_.wait_for(lock, period, [this] { return stop_; });
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
    sim::Options options;
    std::string error;
    if (!sim::ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "dqx7460-sim: %s\n%s", error.c_str(), sim::Usage().c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", sim::Usage().c_str());
        return 0;
    }
    if (options.version) {
        std::printf("dqx7460-sim %s\n", VELMORA_VERSION);
        return 0;
    }
    std::string dir = options.dir.empty() ? dqx7460::InstanceFolder() : options.dir;
    if (!options.send.empty()) return SendCommand(dir, options.send);
#ifndef DQX7460_SIM_PANEL
    if (options.panel) {
        std::fprintf(stderr, "dqx7460-sim: this build has no rig panel\n");
        return 2;
    }
#endif

    // SIGINT and SIGTERM are taken by sigwait only: every thread started below inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::vector<std::unique_ptr<sim::Card>> cards;
    for (const sim::CardOption& option : options.cards) {
        cards.push_back(std::make_unique<sim::Card>(option.deviceNumber));
    }
    const auto start = std::chrono::steady_clock::now();
    sim::SimClock clock(options.timeScale, [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    sim::Rig rig(*cards.front(), options.rig, [&clock] { return clock.Now(); });
    rig.SetDriving(options.rigOn);

    sim::Card& rigCard = *cards.front();
    sim::Server server(
        dir,
        [&rigCard, &rig, &clock](const std::string& line, bool* quit) {
            return sim::ExecuteControl(line, rigCard, rig, quit, &clock);
        },
        [] { kill(getpid(), SIGTERM); });
    for (std::size_t i = 0; i < cards.size(); ++i) {
        server.AddInstance(options.cards[i].instance, *cards[i]);
    }
    if (!server.Start(&error)) {
        std::fprintf(stderr, "dqx7460-sim: %s\n", error.c_str());
        return 1;
    }
    for (const sim::CardOption& option : options.cards) {
        std::printf("dqx7460-sim: card %d on %s\n", option.deviceNumber,
                    dqx7460::InstancePathIn(dir, option.instance).c_str());
    }
    std::printf("dqx7460-sim: control on %s\n", sim::ControlSocketPath(dir).c_str());
    std::fflush(stdout);

    int status = 0;
    {
        RigTicker ticker(rig);
#ifdef DQX7460_SIM_PANEL
        if (options.panel) {
            status = sim::RunRigPanel(argc, argv, rig, stopSignals, options.lang);
        } else
#endif
        {
            int received = 0;
            sigwait(&stopSignals, &received);
        }
    }
    server.Stop();
    return status;
}
