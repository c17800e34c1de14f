// The shared store's sender against a server of its own on a Unix socket: the time an entry
// in the local store takes with the queue's trigger, the time 1000 queued tests take to reach
// the server, and the time a store built again (1000 tests the server already has) takes to
// empty its queue. Prints the figures against a target of 50 tests a second.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "../../tests/shared_store/pg_server.h"
#include "store/results_store.h"
#include "store/shared_store_sender.h"

namespace {

constexpr int kTests = 1000;
constexpr double kTargetPerSecond = 50;

double Seconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double>(elapsed).count();
}

StoredTest Test(int number) {
    StoredTest test;
    test.archiveName = "钢丝" + std::to_string(number) + ".dat";
    test.archiveSha256 = std::string(64, 'c');
    test.savedAt = "2026-03-07 14:00:00";
    test.testName = "钢丝";
    test.specimenNumber = number;
    test.area = 0.05;
    test.gaugeLength = 50.0;
    test.recordCount = 10000;
    for (int row = 0; row < 14; ++row)
        test.results.push_back({row, "结果 " + std::to_string(row), row * 1.25 + number, "MPa"});
    test.notes = {{0, "引伸计: 无，以横梁位移计算"}, {1, "断裂于第 9000 条记录"}};
    return test;
}

// Seconds until the sender reports nothing waiting (after it saw the queue), or -1.
double UntilSent(SharedStoreSender& sender, std::chrono::steady_clock::time_point from) {
    const auto deadline = from + std::chrono::minutes(10);
    for (;;) {
        const SharedStoreState state = sender.State();
        if (state.connected && state.waiting == 0)
            return Seconds(std::chrono::steady_clock::now() - from);
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool Fill(const std::string& path) {
    ResultsStore store;
    std::string message;
    if (!store.Open(path, &message)) return false;
    std::vector<StoredTest> tests;
    for (int number = 1; number <= kTests; ++number) tests.push_back(Test(number));
    return store.EnterAll(tests, &message);
}

}  // namespace

int main() {
    PgServer server;
    if (!server.Init() || !server.Start() || !server.Exec("CREATE DATABASE bench")) {
        std::fprintf(stderr, "no server: %s\n", server.Error().c_str());
        return 1;
    }
    ScratchFolder folder("velmora-bench");
    const std::string path = ResultsStorePath(folder.Path());
    {
        ResultsStore store;
        std::string message;
        store.Open(path, &message);
        const auto start = std::chrono::steady_clock::now();
        for (int number = 1; number <= 200; ++number) store.Enter(Test(number), &message);
        std::printf("local entry with the queue: %.2f ms a test\n",
                    Seconds(std::chrono::steady_clock::now() - start) * 1000 / 200);
    }
    if (!Fill(path)) return 1;
    SharedStoreConf conf;
    conf.rig = "bench";
    conf.keywords = {{"host", server.SocketFolder()},
                     {"dbname", "bench"},
                     {"user", PgServer::kUser},
                     {"client_encoding", "UTF8"}};
    bool missed = false;
    {
        const auto start = std::chrono::steady_clock::now();
        SharedStoreSender sender(conf, path);
        const double seconds = UntilSent(sender, start);
        const double rate = seconds > 0 ? kTests / seconds : 0;
        missed = missed || rate < kTargetPerSecond;
        std::printf("%d queued tests sent: %.2f s, %.0f tests a second (target %.0f)\n", kTests,
                    seconds, rate, kTargetPerSecond);
    }
    // Built again: every test queued, nothing known as sent, all of it already on the server.
    std::filesystem::remove(path);
    if (!Fill(path)) return 1;
    {
        const auto start = std::chrono::steady_clock::now();
        SharedStoreSender sender(conf, path);
        const double seconds = UntilSent(sender, start);
        std::printf("%d tests the server has, checked: %.2f s\n", kTests, seconds);
        missed = missed || seconds < 0;
    }
    return missed ? 1 : 0;
}
