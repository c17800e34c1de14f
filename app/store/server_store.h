// The results store on a PostgreSQL server that several rigs of a lab share: the tables of
// the local store (store/results_store.h) in plain SQL, each test under its rig's name. A
// test's key is (rig, archive name), a series' its name. Nothing but the sender
// (store/shared_store_sender.h) writes to it; every call may wait on the network, so it
// never runs on the window's thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/results_store.h"

class PgConnection;
struct SharedStoreConf;

// The SHA-256 of everything the store holds of a test (its id aside) or of a series: equal
// digests, equal content.
std::string ContentSha256(const StoredTest& test);
std::string ContentSha256(const StoredSeries& series);
// The schema version this program writes on the server.
int ServerStoreVersion();

class ServerStore {
  public:
    // cancelFd: see PgConnection.
    explicit ServerStore(int cancelFd = -1);
    ~ServerStore();
    ServerStore(const ServerStore&) = delete;
    ServerStore& operator=(const ServerStore&) = delete;

    // Connects and brings the schema up to this program's version, each step in one
    // transaction that waits for any other rig doing the same. False, with a message, when
    // the server cannot be reached or refuses, or holds a newer schema (left untouched).
    bool Open(const SharedStoreConf& conf, std::string* messageUtf8);
    void Close();
    // Connected, and no call found the connection broken since.
    bool IsOpen() const;

    // Enters the test under test.rigName, or replaces the one of the same rig and archive
    // with its results and notes, in one transaction: sent twice, it is there once. A
    // replaced test keeps its id, and what changed goes into its history as the local store
    // does it; a test whose content the server already holds is left as it is.
    bool Enter(const StoredTest& test, std::string* messageUtf8);
    // Enters or replaces the series of the same name.
    bool EnterSeries(const StoredSeries& series, std::string* messageUtf8);

    // One test with its results and notes; false, with a message, when there is none.
    bool ReadTest(const std::string& rig, const std::string& archiveName, StoredTest* test,
                  std::string* messageUtf8);
    bool ReadSeries(const std::string& name, StoredSeries* series, std::string* messageUtf8);
    // The archive names of a rig's tests, oldest save first.
    bool ArchivesOfRig(const std::string& rig, std::vector<std::string>* archives,
                       std::string* messageUtf8);
    bool ChangesOf(const std::string& rig, const std::string& archiveName,
                   std::vector<StoredChange>* changes, std::string* messageUtf8);

  private:
    bool Migrate(std::string* messageUtf8);
    bool WriteTest(const StoredTest& test, const std::string& digest, bool* entered);
    bool ReadDetails(StoredTest* test);
    std::string Failure(const std::string& doing) const;

    std::unique_ptr<PgConnection> db_;
    std::string where_;  // "user@host:port/dbname", for the messages
};
