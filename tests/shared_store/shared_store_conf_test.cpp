#include "store/shared_store_conf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "../common/scratch_folder.h"

namespace {

using Keywords = std::vector<std::pair<std::string, std::string>>;

TEST(SharedStoreConf, KeywordsInTheFilesOrderThenTheProgramsDefaults) {
    SharedStoreConf conf;
    std::string message;
    ASSERT_TRUE(
        ParseSharedStoreConf("\xEF\xBB\xBF# 实验室的共享数据库\r\n"
                             "host = /run/postgresql\r\n"
                             "\r\n"
                             "  port=5433\n"
                             "dbname=拉力试验\n"
                             "user=rig\n"
                             "rig = 2 号拉力机 \n"
                             "sslmode=disable",
                             "bench-host", &conf, &message))
        << message;
    EXPECT_EQ(conf.rig, "2 号拉力机");
    EXPECT_EQ(conf.keywords, (Keywords{{"host", "/run/postgresql"},
                                       {"port", "5433"},
                                       {"dbname", "拉力试验"},
                                       {"user", "rig"},
                                       {"sslmode", "disable"},
                                       {"connect_timeout", "10"},
                                       {"application_name", "Velmora"},
                                       {"client_encoding", "UTF8"}}));
    EXPECT_EQ(ConnectTimeoutSeconds(conf), 10);
}

TEST(SharedStoreConf, RigDefaultsToTheHostNameAndGivenDefaultsAreKept) {
    SharedStoreConf conf;
    std::string message;
    ASSERT_TRUE(ParseSharedStoreConf("connect_timeout=1\napplication_name=rig-3 lab\n", "bench-7",
                                     &conf, &message));
    EXPECT_EQ(conf.rig, "bench-7");
    EXPECT_EQ(conf.keywords, (Keywords{{"connect_timeout", "1"},
                                       {"application_name", "rig-3 lab"},
                                       {"client_encoding", "UTF8"}}));
    // libpq takes less than two seconds as two.
    EXPECT_EQ(ConnectTimeoutSeconds(conf), 2);
}

TEST(SharedStoreConf, RefusesPasswordsAndLinesItCannotTake) {
    const std::pair<const char*, const char*> refused[] = {
        {"host=/tmp\npassword=geheim\n", "第 2 行：不接受 password"},
        {"sslpassword=x", "第 1 行：不接受 sslpassword"},
        {"host=/tmp\nhots=/tmp", "第 2 行：未知的设置 hots"},
        // The program's texts are UTF-8; another encoding would store them garbled.
        {"client_encoding=GBK", "第 1 行：未知的设置 client_encoding"},
        {"# comment\nhost /tmp", "第 2 行：应为“名称=值”"},
        {"port=5432\nport=5433", "第 2 行：port 重复"},
        {"rig=a\nrig=b", "第 2 行：rig 重复"},
        {"rig=", "第 1 行：rig 没有值"},
    };
    for (const auto& [text, expected] : refused) {
        SharedStoreConf conf;
        std::string message;
        EXPECT_FALSE(ParseSharedStoreConf(text, "host", &conf, &message)) << text;
        EXPECT_EQ(message.rfind(expected, 0), 0u) << text << " -> " << message;
    }
    SharedStoreConf conf;
    std::string message;
    ParseSharedStoreConf("password=geheim", "host", &conf, &message);
    EXPECT_NE(message.find("PGPASSWORD"), std::string::npos) << message;
    EXPECT_NE(message.find("PGPASSFILE"), std::string::npos) << message;
}

TEST(SharedStoreConf, TheDataFoldersFileDecidesWhetherThereIsASharedStore) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Made());
    SharedStoreConf conf;
    std::string message;
    EXPECT_EQ(LoadSharedStoreConf(folder.Path(), &conf, &message), SharedStoreConfStatus::kAbsent);
    EXPECT_TRUE(message.empty());

    const std::string path = SharedStoreConfPath(folder.Path() + "/");
    EXPECT_EQ(path, folder / "共享数据库.conf");
    std::ofstream(path) << "host=/tmp\nrig=A\n";
    ASSERT_EQ(LoadSharedStoreConf(folder.Path(), &conf, &message), SharedStoreConfStatus::kReady)
        << message;
    EXPECT_EQ(conf.rig, "A");
}

}  // namespace
