// What the card path costs while nothing happens, and how evenly a test records, against the
// dqx7460-sim process over its sockets:
// - the processor time of Velmora and dqx7460-sim while the program sits idle with the card
//   open (its 50 ms sample tick and 30 ms input poll running), in % of one core;
// - the real intervals between the records of a whole test at the default 30 ms period: the
//   program's own window runs here, the rig's start button begins the test, and the break
//   ends it.
// Usage: bench_idle [seconds of idle measurement] [busy threads]. The idle measurement lasts
// 10 s by default. Busy threads (none by default) spin throughout, as other programs would
// on a crowded machine: as many as processors leave none free for the program and the
// simulator. VELMORA and DQX7460_SIM in the environment replace the programs measured.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "run/run_state.h"
#include "common/message_box.h"
#include "control_client.h"
#include "settings/data_folder.h"
#include "shell/main_dialog.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kPeriodMs = 30.0;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string Program(const char* variable, const char* built) {
    const char* given = std::getenv(variable);
    return given != nullptr && given[0] != '\0' ? given : built;
}

pid_t Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// User and system time of a process so far, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::vector<std::string> values{std::istream_iterator<std::string>(fields),
                                    std::istream_iterator<std::string>()};
    // utime and stime are fields 14 and 15 of the line; the split starts at field 3.
    if (values.size() < 13) return 0.0;
    return static_cast<double>(std::stoull(values[11]) + std::stoull(values[12])) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool WaitForFile(const std::string& path) {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    struct stat st {};
    while (stat(path.c_str(), &st) != 0) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void IdleCost(const std::string& velmora, pid_t sim, double seconds) {
    const pid_t program = Spawn({velmora});
    if (program <= 0) {
        std::fprintf(stderr, "bench_idle: Velmora did not start\n");
        return;
    }
    // Settle: the window opens the card and configures it.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double programBefore = CpuSeconds(program);
    const double simBefore = CpuSeconds(sim);
    const Clock::time_point begin = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = Seconds(Clock::now() - begin);
    std::printf(
        "idle, card open:   Velmora %4.1f %%, dqx7460-sim %4.1f %% of one core (target <= 5 "
        "each)\n",
        100.0 * (CpuSeconds(program) - programBefore) / wall,
        100.0 * (CpuSeconds(sim) - simBefore) / wall);
    Stop(program);
}

void PrintIntervals(const TestRun& run);

// One whole test in this process's own main window, then the intervals of its records;
// false when it did not run to its end.
bool RecordTest(QApplication& application, const std::string& dir, pid_t sim) {
    SetMessageBoxHandler([](const QString&, const QString&) {});
    CTestDlg dialog;
    dialog.show();
    const TestRun& run = dialog.Run();
    sim::ControlClient rig;
    std::string error;
    std::string reply;
    if (dialog.TheCard().g_hDevice == nullptr || !rig.Connect(dir, &error) ||
        !rig.Send("press start", &reply)) {
        std::fprintf(stderr, "bench_idle: the test did not start %s\n", error.c_str());
        return false;
    }
    const double simBefore = CpuSeconds(sim);
    const double selfBefore = CpuSeconds(getpid());
    const Clock::time_point begin = Clock::now();
    bool started = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        started = started || run.g_bRecording;
        if ((started && !run.g_bRecording) || Clock::now() - begin > std::chrono::seconds(60)) {
            application.quit();
        }
    });
    watch.start(50);
    application.exec();
    const double wall = Seconds(Clock::now() - begin);
    if (!started || run.g_bRecording || run.g_nRecordCount < 3) return false;
    std::printf("recording:         Velmora %4.1f %%, dqx7460-sim %4.1f %% of one core\n",
                100.0 * (CpuSeconds(getpid()) - selfBefore) / wall,
                100.0 * (CpuSeconds(sim) - simBefore) / wall);
    PrintIntervals(run);
    return true;
}

// The intervals between consecutive records against the period.
void PrintIntervals(const TestRun& run) {
    std::vector<double> intervals;
    for (int i = 2; i <= run.g_nRecordCount; ++i) {
        intervals.push_back((run.g_dRecordTime[i] - run.g_dRecordTime[i - 1]) * 1000.0);
    }
    std::vector<double> deviation;
    for (double interval : intervals) deviation.push_back(std::fabs(interval - kPeriodMs));
    std::sort(deviation.begin(), deviation.end());
    double sum = 0.0;
    for (double interval : intervals) sum += interval;
    const double within =
        100.0 *
        static_cast<double>(std::count_if(deviation.begin(), deviation.end(),
                                          [](double d) { return d <= 0.05 * kPeriodMs; })) /
        static_cast<double>(deviation.size());
    std::printf(
        "records at 30 ms:  %zu intervals, mean %.3f ms; deviation from the period median "
        "%.3f ms, 99th percentile %.3f ms, max %.3f ms; %.1f %% within 5 %% (target 100)\n",
        intervals.size(), sum / static_cast<double>(intervals.size()),
        deviation[deviation.size() / 2], deviation[deviation.size() * 99 / 100], deviation.back(),
        within);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int busyThreads = argc > 2 ? std::atoi(argv[2]) : 0;
    std::atomic<bool> busy{true};
    std::vector<std::thread> crowd;
    for (int i = 0; i < busyThreads; ++i) {
        crowd.emplace_back([&busy] {
            while (busy.load(std::memory_order_relaxed)) {
            }
        });
    }
    if (busyThreads > 0) std::printf("with %d busy threads\n", busyThreads);
    const std::string simPath = Program("DQX7460_SIM", DQX7460_SIM_PATH);
    const std::string velmora = Program("VELMORA", VELMORA_PATH);
    char pattern[] = "/tmp/dqx7460-idle-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::string dir = pattern;
    const std::string work = dir + "/work";
    if (mkdir(work.c_str(), 0700) != 0 || chdir(work.c_str()) != 0) return 1;
    setenv("DQX7460_DRIVER_DIR", dir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const pid_t sim = Spawn({simPath, "--dir", dir});
    int status = 1;
    if (sim > 0 && WaitForFile(dir + "/EZUSB-0")) {
        IdleCost(velmora, sim, seconds);
        QApplication application(argc, argv);
        AnchorDataFolder();
        if (RecordTest(application, dir, sim)) status = 0;
    } else {
        std::fprintf(stderr, "bench_idle: the simulator did not start\n");
    }
    Stop(sim);
    busy = false;
    for (std::thread& thread : crowd) thread.join();
    const std::string remove = "rm -rf '" + dir + "'";
    return std::system(remove.c_str()) == 0 ? status : 1;
}
