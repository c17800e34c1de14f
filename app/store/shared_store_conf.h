// Where a rig finds the database that several rigs of a lab share: the file
// "<data folder>/共享数据库.conf". Without the file the program keeps to its local store.
//
// The file holds lines "key=value" (blanks around either are dropped; empty lines and lines
// starting with '#' are skipped): libpq connection keywords (host, a folder for a Unix socket
// or a host name; hostaddr, port, dbname, user, passfile, connect_timeout, sslmode, ...) and
// "rig=<this rig's name>", the name the server files this rig's tests under (the host name
// when absent). A "password" line is refused: the password comes from PGPASSWORD or a pgpass
// file (~/.pgpass, or the one PGPASSFILE or passfile names), which libpq reads itself.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct SharedStoreConf {
    // libpq keywords and values in the file's order, then what the program adds when the file
    // has none: connect_timeout=10, application_name=Velmora; and always client_encoding=UTF8,
    // as every text the store holds is UTF-8.
    std::vector<std::pair<std::string, std::string>> keywords;
    std::string rig;  // UTF-8, never empty
};

// "<folder>/共享数据库.conf".
std::string SharedStoreConfPath(const std::string& dataFolderUtf8);

// Reads the text of the file. False, with a message naming the line ("第 3 行：..."), for a line
// without '=', an unknown or repeated key, an empty value or a password.
bool ParseSharedStoreConf(const std::string& text, const std::string& hostName,
                          SharedStoreConf* conf, std::string* messageUtf8);

enum class SharedStoreConfStatus { kAbsent, kReady, kRefused };

// The data folder's file: kAbsent when there is none (no shared store), kReady with *conf,
// or kRefused with a message naming the file (unreadable, or refused by the parser).
SharedStoreConfStatus LoadSharedStoreConf(const std::string& dataFolderUtf8, SharedStoreConf* conf,
                                          std::string* messageUtf8);

// The seconds a connection attempt may take, from connect_timeout.
int ConnectTimeoutSeconds(const SharedStoreConf& conf);
