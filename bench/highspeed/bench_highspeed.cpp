// The high-speed capture against the simulated card: the time from the start of a capture
// to its done flag, and the samples per second the worker reads meanwhile. First with the
// card in process (the library and the worker alone), then through the dqx7460-sim program
// over its instance socket, as the program runs it.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/card_access.h"
#include "card.h"
#include "driver.h"
#include "in_process_driver.h"
#include "settings/settings_record.h"
#include "socket_driver.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Passes every call on and counts the bytes the bulk reads asked for.
class CountingDriver : public dqx7460::ForwardingDriver {
  public:
    using ForwardingDriver::ForwardingDriver;
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        if (code == dqx7460::kIoctlBulkRead) readBytes += outLen;
        return ForwardingDriver::Control(handle, code, in, inLen, out, outLen, returned);
    }
    std::atomic<std::uint64_t> readBytes{0};
};

template <typename Predicate>
bool WaitUntil(Predicate holds, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!holds()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the captures on the open card and prints the medians.
bool MeasureCaptures(const Settings& settings, Card& daq, const char* title, CountingDriver& driver,
                     int captures) {
    std::vector<double> micros;
    std::vector<double> samplesPerSecond;
    for (int i = 0; i < captures; ++i) {
        const std::uint64_t bytesBefore = driver.readBytes.load();
        const auto start = Clock::now();
        daq.highSpeed.StartHighSpeedCapture(settings);
        const bool done = WaitUntil([&daq] { return daq.highSpeed.g_bHighSpeedDone.load() != 0; },
                                    std::chrono::seconds(10));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        daq.highSpeed.StopHighSpeedCapture();
        if (!done || daq.highSpeed.g_nHighSpeedCount.load() != 0) {
            std::printf("%s: capture %d did not finish\n", title, i);
            return false;
        }
        micros.push_back(seconds * 1e6);
        samplesPerSecond.push_back((driver.readBytes.load() - bytesBefore) / 4.0 / seconds);
    }
    std::printf(
        "%s: %d captures; start to done median %.0f us; worker reads median %.2f M "
        "samples/s (the card's own rate: 0.25 M)\n",
        title, captures, Median(micros), Median(samplesPerSecond) / 1e6);
    return true;
}

bool InProcess(const Settings& settings) {
    sim::Card card(1);
    card.SetVoltage(0, 1.0);
    sim::InProcessDriver inProcess;
    inProcess.AddCard(0, card);
    CountingDriver driver(inProcess);
    dqx7460::SetDriver(&driver);
    Card daq;
    bool ok = DQX7460_DeviceOpen(1, &daq.g_hDevice) == 0 &&
              MeasureCaptures(settings, daq, "in process", driver, 200);
    DQX7460_DeviceClose(daq.g_hDevice);
    daq.g_hDevice = nullptr;
    dqx7460::SetDriver(nullptr);
    return ok;
}

bool ThroughSimulator(const Settings& settings, const char* simulator) {
    char folder[] = "/tmp/bench-highspeed-XXXXXX";
    if (mkdtemp(folder) == nullptr) return false;
    setenv("DQX7460_DRIVER_DIR", folder, 1);
    const std::string socket = std::string(folder) + "/EZUSB-0";
    char* argv[] = {const_cast<char*>(simulator), const_cast<char*>("--dir"), folder,
                    const_cast<char*>("--no-rig"), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, simulator, nullptr, nullptr, argv, environ) != 0) return false;

    bool ok = WaitUntil([&] { return std::filesystem::exists(socket); }, std::chrono::seconds(10));
    if (ok) {
        CountingDriver driver(dqx7460::SocketDriver());
        dqx7460::SetDriver(&driver);
        Card daq;
        ok = DQX7460_DeviceOpen(1, &daq.g_hDevice) == 0 &&
             MeasureCaptures(settings, daq, "through dqx7460-sim", driver, 50);
        DQX7460_DeviceClose(daq.g_hDevice);
        daq.g_hDevice = nullptr;
        dqx7460::SetDriver(nullptr);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    settings.Parse();
    bool ok = InProcess(settings);
    const char* simulator = argc > 1 ? argv[1] : DQX7460_SIM_PATH;
    if (!ThroughSimulator(settings, simulator)) {
        std::printf("through dqx7460-sim: no measurement (simulator %s)\n", simulator);
        ok = false;
    }
    return ok ? 0 : 1;
}
