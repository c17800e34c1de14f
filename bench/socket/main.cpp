// Starts dqx7460-sim in a scratch folder and measures the card library against it:
// register writes per second, the median two-channel single scan, and stream throughput.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "DQX7460.h"
#include "paths.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

bool WaitForSocket(const std::string& path) {
    auto deadline = Clock::now() + std::chrono::seconds(10);
    struct stat st {};
    while (stat(path.c_str(), &st) != 0) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

AdScanConfig TwoChannels() {
    AdScanConfig config{};
    config.RangeCode[0] = 1;
    config.RangeCode[1] = 1;
    config.Bipolar = 1;
    config.Reg7Bit2 = 1;
    config.ChannelList[1] = 1;
    config.ChannelCount = 2;
    return config;
}

void RegisterWrites(HANDLE handle) {
    constexpr int kWrites = 100000;
    auto begin = Clock::now();
    for (int i = 0; i < kWrites; ++i) DQX7460_LEDTest(handle, static_cast<WORD>(i));
    double rate = kWrites / Seconds(Clock::now() - begin);
    std::printf("register writes:          %9.0f per second (target >= 40000)\n", rate);
}

void SingleScans(HANDLE handle) {
    constexpr int kScans = 500;
    std::vector<double> ms;
    double volts[2] = {};
    AdScanRequest request{TwoChannels(), volts};
    for (int i = 0; i < kScans; ++i) {
        auto begin = Clock::now();
        DQX7460_MAIVoltageIn(handle, &request);
        ms.push_back(Seconds(Clock::now() - begin) * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "MAIVoltageIn, 2 channels: %9.3f ms median, %.3f ms 95th percentile (target <= 3)\n",
        ms[ms.size() / 2], ms[ms.size() * 95 / 100]);
}

void Stream(HANDLE handle) {
    constexpr WORD kWords = 512;
    DQX7460_Reset(handle);
    DQX7460_AIConfig(handle, TwoChannels());
    DQX7460_StartAd(handle);
    std::vector<ULONG> block(kWords);
    ULONG* buffer = block.data();
    long long bytes = 0;
    int failures = 0;
    auto begin = Clock::now();
    while (Seconds(Clock::now() - begin) < 2.0) {
        if (DQX7460_ADReadData(handle, &buffer, kWords) != 0) ++failures;
        bytes += kWords * 4;
    }
    double rate = bytes / Seconds(Clock::now() - begin) / 1e6;
    DQX7460_StopAd(handle);
    std::printf("ADReadData, 512 words:    %9.1f MB/s (target >= 20), %d failed reads\n", rate,
                failures);
}

}  // namespace

int main() {
    char pattern[] = "/tmp/dqx7460-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    std::string dir = pattern;
    setenv("DQX7460_DRIVER_DIR", dir.c_str(), 1);
    std::vector<std::string> args = {DQX7460_SIM_PATH, "--dir", dir, "--no-rig"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, DQX7460_SIM_PATH, nullptr, nullptr, argv.data(), environ) != 0 ||
        !WaitForSocket(dqx7460::InstancePathIn(dir, 0))) {
        std::fprintf(stderr, "bench_socket: the simulator did not start\n");
        return 1;
    }
    HANDLE handle = nullptr;
    int status = 1;
    if (DQX7460_DeviceOpen(1, &handle) == 0) {
        RegisterWrites(handle);
        SingleScans(handle);
        Stream(handle);
        DQX7460_DeviceClose(handle);
        status = 0;
    } else {
        std::fprintf(stderr, "bench_socket: no card numbered 1\n");
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    rmdir(dir.c_str());
    return status;
}
