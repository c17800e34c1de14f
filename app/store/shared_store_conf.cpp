#include "store/shared_store_conf.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "store/store_texts.h"

namespace {

// The libpq keywords a rig may set. client_encoding is the program's own; password and
// sslpassword are secrets that belong in a pgpass file or the environment, not beside the
// archives.
const char* const kKeywords[] = {
    "host",
    "hostaddr",
    "port",
    "dbname",
    "user",
    "passfile",
    "connect_timeout",
    "options",
    "application_name",
    "sslmode",
    "sslcert",
    "sslkey",
    "sslrootcert",
    "sslcrl",
    "sslcompression",
    "requirepeer",
    "keepalives",
    "keepalives_idle",
    "keepalives_interval",
    "keepalives_count",
    "tcp_user_timeout",
    "target_session_attrs",
    "gssencmode",
    "krbsrvname",
    "service",
};

std::string Trimmed(const std::string& text) {
    const char* const blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool Known(const std::string& key) {
    for (const char* keyword : kKeywords)
        if (key == keyword) return true;
    return false;
}

const std::string* ValueOf(const SharedStoreConf& conf, const char* key) {
    for (const auto& keyword : conf.keywords)
        if (keyword.first == key) return &keyword.second;
    return nullptr;
}

}  // namespace

std::string SharedStoreConfPath(const std::string& dataFolderUtf8) {
    std::string folder = dataFolderUtf8;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + "共享数据库.conf";
}

bool ParseSharedStoreConf(const std::string& text, const std::string& hostName,
                          SharedStoreConf* conf, std::string* messageUtf8) {
    *conf = SharedStoreConf();
    messageUtf8->clear();
    std::istringstream lines(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    std::string line;
    bool rigGiven = false;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string where = std::to_string(number);
        line = Trimmed(line);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            *messageUtf8 = store_text::Message(store_text::kConfNotPair, {where});
            return false;
        }
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = Trimmed(line.substr(equals + 1));
        if (key == "password" || key == "sslpassword") {
            *messageUtf8 = store_text::Message(store_text::kConfPassword, {where, key});
            return false;
        }
        if (key != "rig" && !Known(key)) {
            *messageUtf8 = store_text::Message(store_text::kConfUnknown, {where, key});
            return false;
        }
        if (value.empty()) {
            *messageUtf8 = store_text::Message(store_text::kConfNoValue, {where, key});
            return false;
        }
        if ((key == "rig" && rigGiven) || ValueOf(*conf, key.c_str()) != nullptr) {
            *messageUtf8 = store_text::Message(store_text::kConfRepeated, {where, key});
            return false;
        }
        if (key == "rig") {
            conf->rig = value;
            rigGiven = true;
        } else {
            conf->keywords.emplace_back(key, value);
        }
    }
    if (!rigGiven) conf->rig = hostName.empty() ? "localhost" : hostName;
    if (ValueOf(*conf, "connect_timeout") == nullptr)
        conf->keywords.emplace_back("connect_timeout", "10");
    if (ValueOf(*conf, "application_name") == nullptr)
        conf->keywords.emplace_back("application_name", "Velmora");
    conf->keywords.emplace_back("client_encoding", "UTF8");
    return true;
}

SharedStoreConfStatus LoadSharedStoreConf(const std::string& dataFolderUtf8, SharedStoreConf* conf,
                                          std::string* messageUtf8) {
    messageUtf8->clear();
    const std::string path = SharedStoreConfPath(dataFolderUtf8);
    if (::access(path.c_str(), F_OK) != 0 && errno == ENOENT) return SharedStoreConfStatus::kAbsent;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file.is_open() || file.bad()) {
        *messageUtf8 =
            store_text::Message(store_text::kConfUnreadable, {path, std::strerror(errno)});
        return SharedStoreConfStatus::kRefused;
    }
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    std::string reason;
    if (!ParseSharedStoreConf(text.str(), host, conf, &reason)) {
        *messageUtf8 = store_text::Message(store_text::kConfRefused, {path, reason});
        return SharedStoreConfStatus::kRefused;
    }
    return SharedStoreConfStatus::kReady;
}

int ConnectTimeoutSeconds(const SharedStoreConf& conf) {
    const std::string* text = ValueOf(conf, "connect_timeout");
    int seconds = 0;
    if (text == nullptr ||
        std::from_chars(text->data(), text->data() + text->size(), seconds).ec != std::errc() ||
        seconds <= 0)
        return 10;
    // libpq takes less than 2 s as 2 s.
    return seconds < 2 ? 2 : seconds;
}
