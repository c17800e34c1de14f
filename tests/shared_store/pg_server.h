// A PostgreSQL server of the test's own: a cluster made by initdb in a private folder, served
// on a Unix socket in that folder and nowhere else (no TCP), stopped and removed at the end.
// initdb refuses root: run as root, the server's programs run as the system user postgres,
// which owns the folder.
#pragma once

#include <fcntl.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../common/scratch_folder.h"

class PgServer {
  public:
    static constexpr const char* kBin = "/usr/lib/postgresql/15/bin/";
    static constexpr const char* kUser = "velmora";
    // Readiness and shutdown are waited for this long at most: the machine may be busy.
    static constexpr int kBoundSeconds = 180;

    PgServer() : folder_("velmora-pg") {}
    ~PgServer() {
        if (running_) Stop();
    }

    // Makes the cluster, its superuser kUser; with a password, a socket connection must give
    // it (scram-sha-256), else every local connection is trusted.
    bool Init(const std::string& password = std::string()) {
        if (!folder_.Made()) return Fail("no folder");
        asPostgres_ = ::geteuid() == 0;
        if (asPostgres_ && !GiveToPostgres(folder_.Path()))
            return Fail("cannot give the folder to the user postgres");
        std::vector<std::string> command = {std::string(kBin) + "initdb",
                                            "-D",
                                            Data(),
                                            "-U",
                                            kUser,
                                            "-E",
                                            "UTF8",
                                            "--no-locale",
                                            "--no-sync"};
        if (password.empty()) {
            command.push_back("--auth=trust");
        } else {
            const std::string pwfile = folder_ / "pwfile";
            std::ofstream(pwfile) << password << "\n";
            if (asPostgres_ && !GiveToPostgres(pwfile))
                return Fail("cannot give the password file to the user postgres");
            command.insert(command.end(), {"--auth=scram-sha-256", "--pwfile=" + pwfile});
        }
        if (!RunServerProgram(command)) return Fail("initdb failed: " + Log());
        std::ofstream(Data() + "/postgresql.conf", std::ios::app)
            << "listen_addresses = ''\n"
            << "unix_socket_directories = '" << folder_.Path() << "'\n"
            << "fsync = off\nmax_connections = 30\n";
        return true;
    }

    // Starts the server and waits until it takes connections.
    bool Start() {
        if (!RunServerProgram({std::string(kBin) + "pg_ctl", "-D", Data(), "-l",
                               folder_ / "server.log", "-W", "start"}))
            return Fail("pg_ctl start failed: " + Log());
        running_ = true;
        const std::string socket = SocketFolder();
        const char* keys[] = {"host", "port", "dbname", "connect_timeout", nullptr};
        const char* values[] = {socket.c_str(), "5432", "postgres", "5", nullptr};
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(kBoundSeconds);
        while (PQpingParams(keys, values, 0) != PQPING_OK) {
            if (std::chrono::steady_clock::now() > deadline)
                return Fail("server not ready: " + Log());
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    // Stops the server at once (fast shutdown) and waits until it is gone.
    bool Stop() {
        running_ = false;
        return RunServerProgram({std::string(kBin) + "pg_ctl", "-D", Data(), "-m", "fast", "-w",
                                 "-t", std::to_string(kBoundSeconds), "stop"}) ||
               Fail("pg_ctl stop failed: " + Log());
    }

    // The server's main process, from its pid file.
    pid_t Postmaster() const {
        std::ifstream pidFile(Data() + "/postmaster.pid");
        pid_t pid = 0;
        pidFile >> pid;
        return pid;
    }

    // Runs SQL as the superuser in dbname; password: for a server that asks for one. *first
    // gets the first value of the first row, when asked for.
    bool Exec(const std::string& sql, const std::string& dbname = "postgres",
              const std::string& password = std::string(), std::string* first = nullptr) {
        const std::string socket = SocketFolder();
        const char* keys[] = {"host", "dbname", "user", "password", nullptr};
        const char* values[] = {socket.c_str(), dbname.c_str(), kUser,
                                password.empty() ? nullptr : password.c_str(), nullptr};
        PGconn* conn = PQconnectdbParams(keys, values, 0);
        bool done = PQstatus(conn) == CONNECTION_OK;
        if (done) {
            PGresult* result = PQexec(conn, sql.c_str());
            done = PQresultStatus(result) == PGRES_COMMAND_OK ||
                   PQresultStatus(result) == PGRES_TUPLES_OK;
            if (!done) error_ = PQresultErrorMessage(result);
            if (first != nullptr)
                *first = PQntuples(result) > 0 ? PQgetvalue(result, 0, 0) : std::string();
            PQclear(result);
        } else {
            error_ = PQerrorMessage(conn);
        }
        PQfinish(conn);
        return done;
    }

    const std::string& SocketFolder() const { return folder_.Path(); }
    const std::string& Error() const { return error_; }

  private:
    std::string Data() const { return folder_ / "data"; }

    std::string Log() const {
        std::ifstream in(folder_ / "programs.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static bool GiveToPostgres(const std::string& path) {
        const passwd* postgres = ::getpwnam("postgres");
        return postgres != nullptr &&
               ::chown(path.c_str(), postgres->pw_uid, postgres->pw_gid) == 0;
    }

    // Runs the program (as postgres when the test is root), its output appended to the log.
    bool RunServerProgram(std::vector<std::string> command) {
        if (asPostgres_) command.insert(command.begin(), {"runuser", "-u", "postgres", "--"});
        std::vector<char*> argv;
        for (std::string& word : command) argv.push_back(word.data());
        argv.push_back(nullptr);
        const std::string log = folder_ / "programs.log";
        // Between fork and exec only calls that take no lock: other threads may hold one.
        const pid_t child = ::fork();
        if (child == 0) {
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }

    bool Fail(const std::string& error) {
        error_ = error;
        return false;
    }

    ScratchFolder folder_;
    bool asPostgres_ = false;
    bool running_ = false;
    std::string error_;
};
