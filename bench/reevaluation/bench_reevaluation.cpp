// velmora-results as a lab runs it: one archive of 10000 records (the most a test holds) with
// its CSV and test file, the whole process started, run and waited for (fork, exec, wait),
// its output into /dev/null. Prints the median and the slowest of the runs against the target
// of 50 ms and fails past it. Without a path argument the program built beside it is run.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/archive.h"
#include "records/archive_ini.h"
#include "records/records_csv.h"
#include "run/run_state.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

constexpr int kRuns = 41;
constexpr double kTargetMs = 50;

// A noisy tensile curve: elastic, hardening, necking, break; saved as the program saves it.
bool SaveTest(const std::string& base) {
    Settings settings;
    settings.Parse();
    const auto run = std::make_unique<TestRun>();
    for (int i = 1; i <= 10000; ++i) {
        const double d = i * 0.002;
        const double f = d < 2    ? 10 * d
                         : d < 15 ? 20 + 12.5 * std::sqrt((d - 2) / 13)
                                  : 32.5 - (d - 15);
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f + 0.02 * std::sin(i * 12.9898));
        run->g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run->g_strRecord1[i] = text;
        run->g_dRecordTime[i] = i * 0.0301;
    }
    run->g_nRecordCount = 10000;
    run->g_nBreakRecord = 10000;
    run->g_strStartTime = "2026-12-09-10:00:00";
    const SpecimenDims specimen{10.0, 50.0, 6.0, 58.0};
    std::string error;
    if (WriteArchive(settings, *run, base + ".dat", &error) &&
        WriteRecordsCsv(settings, *run, specimen, base + ".csv", &error) &&
        WriteTestFile(*run, specimen, base + ".ini", &error))
        return true;
    std::fprintf(stderr, "bench_reevaluation: %s\n", error.c_str());
    return false;
}

// Milliseconds from fork to the reaped exit; negative when the run failed.
double RunOnce(const char* program, const std::string& archive) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(program, program, "--format", "json", archive.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 1 ? argv[1] : VELMORA_RESULTS_PATH;
    char folder[] = "/tmp/bench-reevaluation-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    const std::string base = std::string(folder) + "/Bench2026-12-09-10-00-00";
    std::vector<double> times;
    bool ran = SaveTest(base);
    for (int i = 0; ran && i < kRuns; ++i) {
        const double ms = RunOnce(program, base + ".dat");
        ran = ms >= 0;
        times.push_back(ms);
    }
    std::filesystem::remove_all(folder);
    if (!ran) {
        std::fprintf(stderr, "bench_reevaluation: %s did not evaluate the archive\n", program);
        return 1;
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf(
        "velmora-results on one archive of 10000 records, whole process (fork, exec, wait), %d "
        "runs: median %.2f ms, slowest %.2f ms (target <= %.0f ms)\n",
        kRuns, median, times.back(), kTargetMs);
    return median <= kTargetMs ? 0 : 1;
}
