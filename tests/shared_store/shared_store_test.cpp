#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../common/scratch_folder.h"
#include "pg_server.h"
#include "store/results_store.h"
#include "store/server_store.h"
#include "store/shared_store_conf.h"
#include "store/shared_store_sender.h"

namespace {

// Generous: two other builds may keep both cores busy.
constexpr auto kBound = std::chrono::seconds(120);
constexpr int kRetryMs = 200;

// Polls the condition until it holds or the bound passes.
bool WaitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The tests and series a local store's queue holds; -1 when it cannot be read.
int QueuedIn(const std::string& storePath) {
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(storePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        sqlite3_exec(
            db, "SELECT COUNT(*) FROM shared_pending",
            [](void* out, int, char** values, char**) {
                *static_cast<int*>(out) = std::atoi(values[0]);
                return 0;
            },
            &count, nullptr);
    sqlite3_close(db);
    return count;
}

StoredTest SampleTest(int number, const std::string& savedAt) {
    StoredTest test;
    test.archiveName = "钢丝" + std::to_string(number) + ".dat";
    test.testFileName = "钢丝" + std::to_string(number) + ".ini";
    test.archiveSha256 = std::string(64, 'a' + static_cast<char>(number % 6));
    test.savedAt = savedAt;
    test.testName = "钢丝";
    test.startTime = "2026-03-07-14:05:09";
    test.operatorName = "Tolvane";
    test.series = "钢丝 B";
    test.specimenNumber = number;
    test.specimenId = "钢丝 B-0" + std::to_string(number);
    test.area = 0.05;
    test.gaugeLength = 50.0;
    test.proofOffset = 0.2;
    test.breakRecord = 800 + number;
    test.recordCount = 830;
    // Values that decimal text with too few digits would not bring back.
    test.results = {{0, "最大力", 41.25 + number / 3.0, "N"},
                    {1, "抗拉强度 Rm", 825.0 + number, "MPa"},
                    {2, "断面收缩率 Z", std::nullopt, "%"}};
    test.notes = {{0, "引伸计: 无，以横梁位移计算"}};
    return test;
}

// A rig: its data folder with the local store, and the conf that points at the server.
struct Rig {
    Rig(const std::string& socketFolder, const std::string& dbname, const std::string& name)
        : folder("velmora-rig") {
        conf.rig = name;
        conf.keywords = {{"host", socketFolder},
                         {"dbname", dbname},
                         {"user", PgServer::kUser},
                         {"connect_timeout", "5"},
                         {"client_encoding", "UTF8"}};
        std::string message;
        opened = folder.Made() && local.Open(ResultsStorePath(folder.Path()), &message);
    }
    bool Enter(const StoredTest& test) {
        std::string message;
        const bool entered = local.Enter(test, &message);
        if (sender) sender->Notify();
        return entered;
    }
    void StartSender() {
        sender =
            std::make_unique<SharedStoreSender>(conf, ResultsStorePath(folder.Path()), kRetryMs);
    }
    StoredTest Local(const std::string& archive) {
        StoredTest test;
        std::string message;
        local.ReadTest(archive, &test, &message);
        test.rigName = conf.rig;
        return test;
    }

    ScratchFolder folder;
    SharedStoreConf conf;
    ResultsStore local;
    bool opened = false;
    std::unique_ptr<SharedStoreSender> sender;
};

class SharedStoreTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server_ = new PgServer;
        if (!server_->Init() || !server_->Start()) {
            startError_ = server_->Error();
            delete server_;
            server_ = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(server_, nullptr) << startError_;
        dbname_ = "lab_" + std::to_string(++databases_);
        ASSERT_TRUE(server_->Exec("CREATE DATABASE " + dbname_)) << server_->Error();
    }

    std::unique_ptr<Rig> NewRig(const std::string& name) {
        auto rig = std::make_unique<Rig>(server_->SocketFolder(), dbname_, name);
        EXPECT_TRUE(rig->opened);
        return rig;
    }
    // The reading side of the lab: a connection of its own.
    std::unique_ptr<ServerStore> Reader(const Rig& rig) {
        auto reader = std::make_unique<ServerStore>();
        std::string message;
        EXPECT_TRUE(reader->Open(rig.conf, &message)) << message;
        return reader;
    }
    static std::vector<std::string> ArchivesOnServer(ServerStore& reader, const std::string& rig) {
        std::vector<std::string> archives;
        std::string message;
        EXPECT_TRUE(reader.ArchivesOfRig(rig, &archives, &message)) << message;
        return archives;
    }
    static StoredTest OnServer(ServerStore& reader, const std::string& rig,
                               const std::string& archive) {
        StoredTest test;
        std::string message;
        EXPECT_TRUE(reader.ReadTest(rig, archive, &test, &message)) << message;
        return test;
    }
    // The server's copy holds exactly what the local store holds, under the rig's name.
    static void ExpectSameOnServer(Rig& rig, ServerStore& reader, const std::string& archive) {
        const StoredTest local = rig.Local(archive);
        const StoredTest remote = OnServer(reader, rig.conf.rig, archive);
        EXPECT_EQ(ContentSha256(remote), ContentSha256(local)) << archive;
        EXPECT_EQ(remote.rigName, rig.conf.rig);
    }

    static PgServer* server_;
    static std::string startError_;
    static int databases_;
    std::string dbname_;
};

PgServer* SharedStoreTest::server_ = nullptr;
std::string SharedStoreTest::startError_;
int SharedStoreTest::databases_ = 0;

TEST_F(SharedStoreTest, TestsEnteredLocallyReachTheServerOldestSaveFirst) {
    auto rig = NewRig("1 号拉力机");
    // Entered before there was a sender, the newest first.
    ASSERT_TRUE(rig->Enter(SampleTest(3, "2026-03-07 16:00:00")));
    ASSERT_TRUE(rig->Enter(SampleTest(1, "2026-03-07 14:00:00")));
    ASSERT_TRUE(rig->Enter(SampleTest(2, "2026-03-07 15:00:00")));
    std::string message;
    ASSERT_TRUE(rig->local.EnterSeries(
        {"钢丝 B", "65Mn", "GB/T 228.1", "Tolvane", 5, "", "2026-03-07"}, &message));
    rig->StartSender();
    ASSERT_TRUE(WaitFor([&] {
        const SharedStoreState state = rig->sender->State();
        return state.connected && state.waiting == 0;
    })) << rig->sender->State().lastError;
    EXPECT_TRUE(rig->sender->State().lastError.empty()) << rig->sender->State().lastError;

    auto reader = Reader(*rig);
    EXPECT_EQ(ArchivesOnServer(*reader, rig->conf.rig),
              (std::vector<std::string>{"钢丝1.dat", "钢丝2.dat", "钢丝3.dat"}));
    // Sent in the order of their saves: the server numbered them so.
    const StoredTest first = OnServer(*reader, rig->conf.rig, "钢丝1.dat");
    const StoredTest second = OnServer(*reader, rig->conf.rig, "钢丝2.dat");
    const StoredTest third = OnServer(*reader, rig->conf.rig, "钢丝3.dat");
    EXPECT_LT(first.id, second.id);
    EXPECT_LT(second.id, third.id);
    for (const char* archive : {"钢丝1.dat", "钢丝2.dat", "钢丝3.dat"})
        ExpectSameOnServer(*rig, *reader, archive);
    StoredSeries series;
    ASSERT_TRUE(reader->ReadSeries("钢丝 B", &series, &message)) << message;
    EXPECT_EQ(series.material, "65Mn");
    EXPECT_EQ(series.planned, 5);
}

TEST_F(SharedStoreTest, TestsWaitWhileTheServerIsDownAndGoOnceWhenItIsBack) {
    auto rig = NewRig("rig-a");
    rig->StartSender();
    for (int number = 1; number <= 2; ++number)
        ASSERT_TRUE(rig->Enter(SampleTest(number, "2026-03-08 10:0" + std::to_string(number))));
    ASSERT_TRUE(WaitFor([&] {
        const SharedStoreState state = rig->sender->State();
        return state.connected && state.waiting == 0;
    })) << rig->sender->State().lastError;

    ASSERT_TRUE(server_->Stop()) << server_->Error();
    for (int number = 3; number <= 5; ++number)
        EXPECT_TRUE(rig->Enter(SampleTest(number, "2026-03-08 10:0" + std::to_string(number))));
    // What the window would show: three waiting, no server, and why.
    EXPECT_TRUE(WaitFor([&] {
        const SharedStoreState state = rig->sender->State();
        return !state.connected && state.waiting == 3 && !state.lastError.empty();
    })) << rig->sender->State().waiting;
    const std::string error = rig->sender->State().lastError;
    EXPECT_NE(error.find("共享数据库"), std::string::npos) << error;

    ASSERT_TRUE(server_->Start()) << server_->Error();
    ASSERT_TRUE(WaitFor([&] {
        const SharedStoreState state = rig->sender->State();
        return state.connected && state.waiting == 0;
    })) << rig->sender->State().lastError;
    EXPECT_TRUE(rig->sender->State().lastError.empty());
    auto reader = Reader(*rig);
    const std::vector<std::string> archives = ArchivesOnServer(*reader, "rig-a");
    EXPECT_EQ(archives, (std::vector<std::string>{"钢丝1.dat", "钢丝2.dat", "钢丝3.dat",
                                                  "钢丝4.dat", "钢丝5.dat"}));
    for (const std::string& archive : archives) ExpectSameOnServer(*rig, *reader, archive);
}

TEST_F(SharedStoreTest, AServerRestartedWhileNothingWaitedTakesTheNextTestAtOnce) {
    auto rig = NewRig("rig-a");
    // A pause far beyond the bound: only a connection made again at once gets the test there.
    rig->sender = std::make_unique<SharedStoreSender>(
        rig->conf, ResultsStorePath(rig->folder.Path()), 3600 * 1000);
    ASSERT_TRUE(rig->Enter(SampleTest(1, "2026-03-08 11:00:00")));
    ASSERT_TRUE(WaitFor([&] { return rig->sender->State().connected; }));
    ASSERT_TRUE(server_->Stop()) << server_->Error();
    ASSERT_TRUE(server_->Start()) << server_->Error();
    ASSERT_TRUE(rig->Enter(SampleTest(2, "2026-03-08 11:05:00")));
    auto reader = Reader(*rig);
    EXPECT_TRUE(WaitFor([&] { return ArchivesOnServer(*reader, "rig-a").size() == 2; }))
        << rig->sender->State().lastError;
}

TEST_F(SharedStoreTest, ATestEnteredAgainReplacesItsRowOnlyWhenItsContentChanged) {
    auto rig = NewRig("rig-a");
    rig->StartSender();
    StoredTest test = SampleTest(1, "2026-03-09 09:00:00");
    ASSERT_TRUE(rig->Enter(test));
    auto reader = Reader(*rig);
    ASSERT_TRUE(WaitFor([&] { return ArchivesOnServer(*reader, "rig-a").size() == 1; }));
    const std::int64_t id = OnServer(*reader, "rig-a", test.archiveName).id;

    // Su typed later: the reduction of area comes with it.
    test.finalArea = 0.03;
    test.results[2].value = 40.0;
    ASSERT_TRUE(rig->Enter(test));
    ASSERT_TRUE(
        WaitFor([&] { return OnServer(*reader, "rig-a", test.archiveName).finalArea == 0.03; }));
    const StoredTest updated = OnServer(*reader, "rig-a", test.archiveName);
    EXPECT_EQ(updated.id, id);
    EXPECT_EQ(updated.results[2].value, 40.0);
    EXPECT_EQ(ArchivesOnServer(*reader, "rig-a").size(), 1u);
    ExpectSameOnServer(*rig, *reader, test.archiveName);
    std::vector<StoredChange> changes;
    std::string message;
    ASSERT_TRUE(reader->ChangesOf("rig-a", test.archiveName, &changes, &message)) << message;
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].text, "断面收缩率 Z: 无 -> 40");
    EXPECT_EQ(changes[1].text, "Su: 无 -> 0.03");

    // Entered again as it was: it leaves the queue without a new change on the server.
    ASSERT_TRUE(rig->Enter(test));
    ASSERT_TRUE(WaitFor([&] { return QueuedIn(ResultsStorePath(rig->folder.Path())) == 0; }));
    ASSERT_TRUE(reader->ChangesOf("rig-a", test.archiveName, &changes, &message)) << message;
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(SharedStoreTest, AStoreOfTheVersionBeforeTheQueueSendsTheTestsItHeld) {
    auto rig = NewRig("rig-a");
    ASSERT_TRUE(rig->Enter(SampleTest(1, "2026-03-09 10:00:00")));
    ASSERT_TRUE(rig->Enter(SampleTest(2, "2026-03-09 10:30:00")));
    // Back to the schema before the queue, with the tests still in it.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(ResultsStorePath(rig->folder.Path()).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "DROP TRIGGER tests_to_share; DROP TRIGGER series_to_share;"
                           " DROP TABLE shared_pending; DROP TABLE shared_sent;"
                           " UPDATE store_version SET version = version - 1",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    rig->StartSender();
    auto reader = Reader(*rig);
    EXPECT_TRUE(WaitFor([&] { return ArchivesOnServer(*reader, "rig-a").size() == 2; }))
        << rig->sender->State().lastError;
}

TEST_F(SharedStoreTest, AStoreBuiltAgainSendsNothingTheServerHasAlready) {
    auto rig = NewRig("rig-a");
    rig->StartSender();
    ASSERT_TRUE(rig->Enter(SampleTest(1, "2026-03-09 11:00:00")));
    auto reader = Reader(*rig);
    ASSERT_TRUE(WaitFor([&] { return ArchivesOnServer(*reader, "rig-a").size() == 1; }));
    // The row's version: any write to it changes it.
    const std::string rowVersion = "SELECT xmin FROM tests WHERE archive = '钢丝1.dat'";
    std::string before, after;
    ASSERT_TRUE(server_->Exec(rowVersion, dbname_, "", &before)) << server_->Error();

    // A re-index builds a new store, which knows nothing of what was sent, and puts it in place.
    const std::string built = rig->folder / "built.sqlite";
    {
        ResultsStore store;
        std::string message;
        ASSERT_TRUE(store.Open(built, &message)) << message;
        ASSERT_TRUE(store.Enter(SampleTest(1, "2026-03-09 11:00:00"), &message)) << message;
    }
    std::string message;
    ASSERT_TRUE(ReplaceStoreFile(built, ResultsStorePath(rig->folder.Path()), &message)) << message;
    rig->sender->Notify();
    // The new store's queue holds the test until the sender has been through it.
    EXPECT_TRUE(WaitFor([&] { return QueuedIn(ResultsStorePath(rig->folder.Path())) == 0; }))
        << rig->sender->State().lastError;
    ASSERT_TRUE(server_->Exec(rowVersion, dbname_, "", &after)) << server_->Error();
    EXPECT_EQ(after, before);
}

TEST_F(SharedStoreTest, TwoRigsShareOneDatabaseSideBySide) {
    auto left = NewRig("左机");
    auto right = NewRig("右机");
    left->StartSender();
    right->StartSender();
    // The same archive name on both rigs: two tests, one per rig.
    StoredTest a = SampleTest(1, "2026-03-10 08:00:00");
    StoredTest b = SampleTest(1, "2026-03-10 08:30:00");
    b.results[0].value = 99.5;
    ASSERT_TRUE(left->Enter(a));
    ASSERT_TRUE(right->Enter(b));
    ASSERT_TRUE(right->Enter(SampleTest(2, "2026-03-10 09:00:00")));
    for (Rig* rig : {left.get(), right.get()})
        ASSERT_TRUE(WaitFor([rig] {
            const SharedStoreState state = rig->sender->State();
            return state.connected && state.waiting == 0;
        })) << rig->conf.rig
            << ": " << rig->sender->State().lastError;
    auto reader = Reader(*left);
    EXPECT_EQ(ArchivesOnServer(*reader, "左机"), (std::vector<std::string>{"钢丝1.dat"}));
    EXPECT_EQ(ArchivesOnServer(*reader, "右机"),
              (std::vector<std::string>{"钢丝1.dat", "钢丝2.dat"}));
    ExpectSameOnServer(*left, *reader, "钢丝1.dat");
    ExpectSameOnServer(*right, *reader, "钢丝1.dat");
    EXPECT_EQ(OnServer(*reader, "右机", "钢丝1.dat").results[0].value, 99.5);
}

TEST_F(SharedStoreTest, StopCutsShortAServerThatDoesNotAnswer) {
    auto rig = NewRig("rig-a");
    rig->conf.keywords[3].second = "60";  // connect_timeout: far beyond the bound below
    const pid_t postmaster = server_->Postmaster();
    ASSERT_GT(postmaster, 0);
    // Frozen, the server takes connections into its backlog and never answers them.
    ASSERT_EQ(::kill(postmaster, SIGSTOP), 0);
    // Woken again whatever the test finds, or the next ones would wait on it.
    struct Thaw {
        pid_t pid;
        ~Thaw() { ::kill(pid, SIGCONT); }
    } thaw{postmaster};
    ASSERT_TRUE(rig->Enter(SampleTest(1, "2026-03-11 08:00:00")));
    rig->StartSender();
    // The sender tells what waits, then tries to connect.
    ASSERT_TRUE(WaitFor([&] { return rig->sender->State().waiting == 1; }));
    const auto before = std::chrono::steady_clock::now();
    rig->sender->Stop();
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_FALSE(rig->sender->State().connected);
}

// A server that asks for a password: the conf names no password and refuses one; libpq finds
// it in the pgpass file PGPASSFILE names.
TEST(SharedStorePassword, ComesFromAPgpassFileAndNeverFromTheConf) {
    const std::string password = "lab-s3cret";
    PgServer server;
    ASSERT_TRUE(server.Init(password)) << server.Error();
    ASSERT_TRUE(server.Start()) << server.Error();
    ASSERT_TRUE(server.Exec("SELECT 1", "postgres", password)) << server.Error();
    Rig rig(server.SocketFolder(), "postgres", "rig-p");
    ASSERT_TRUE(rig.opened);
    ASSERT_TRUE(rig.Enter(SampleTest(1, "2026-03-12 08:00:00")));

    const std::string confPath = SharedStoreConfPath(rig.folder.Path());
    const std::string lines = "host=" + server.SocketFolder() +
                              "\ndbname=postgres\nuser=velmora\nconnect_timeout=5\nrig=rig-p\n";
    std::ofstream(confPath) << lines << "password=" << password << "\n";
    SharedStoreConf conf;
    std::string message;
    EXPECT_EQ(LoadSharedStoreConf(rig.folder.Path(), &conf, &message),
              SharedStoreConfStatus::kRefused);
    EXPECT_NE(message.find("不接受 password"), std::string::npos) << message;
    std::ofstream(confPath) << lines;
    ASSERT_EQ(LoadSharedStoreConf(rig.folder.Path(), &conf, &message),
              SharedStoreConfStatus::kReady)
        << message;
    rig.conf = conf;

    ::unsetenv("PGPASSWORD");
    const std::string pgpass = rig.folder / "pgpass";
    ::setenv("PGPASSFILE", pgpass.c_str(), 1);
    // No file yet: the server refuses, the test waits.
    rig.StartSender();
    EXPECT_TRUE(WaitFor([&] {
        const SharedStoreState state = rig.sender->State();
        return !state.connected && state.waiting == 1 &&
               state.lastError.find("password") != std::string::npos;
    })) << rig.sender->State().lastError;
    rig.sender->Stop();

    std::ofstream(pgpass) << "*:*:*:velmora:" << password << "\n";
    ASSERT_EQ(::chmod(pgpass.c_str(), 0600), 0);
    rig.StartSender();
    EXPECT_TRUE(WaitFor([&] {
        const SharedStoreState state = rig.sender->State();
        return state.connected && state.waiting == 0;
    })) << rig.sender->State().lastError;
    rig.sender->Stop();
    ::unsetenv("PGPASSFILE");

    ServerStore reader;
    ::setenv("PGPASSWORD", password.c_str(), 1);
    ASSERT_TRUE(reader.Open(conf, &message)) << message;
    ::unsetenv("PGPASSWORD");
    StoredTest test;
    EXPECT_TRUE(reader.ReadTest("rig-p", "钢丝1.dat", &test, &message)) << message;
}

}  // namespace
