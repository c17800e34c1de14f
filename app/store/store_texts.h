// The results store's messages (UTF-8), written in Chinese and given in the shown language;
// what the store keeps (its history of changes) stays as it is.
#pragma once

#include <initializer_list>
#include <string>

#include "common/ui_text.h"

namespace store_text {

// %1: the store's path, %2: why (one of the reasons below), %3: what failed.
inline constexpr const char* kFailure = QT_TRANSLATE_NOOP("StoreTexts", "试验记录库 %1 %2：%3");
// %1: seconds.
inline constexpr const char* kBusy =
    QT_TRANSLATE_NOOP("StoreTexts", "正被其他程序占用，等待 %1 秒后仍未释放");
inline constexpr const char* kFull = QT_TRANSLATE_NOOP("StoreTexts", "所在的磁盘已满");
// %1: the database's own words.
inline constexpr const char* kDisk = QT_TRANSLATE_NOOP("StoreTexts", "读写磁盘出错（%1）");
inline constexpr const char* kReadOnly = QT_TRANSLATE_NOOP("StoreTexts", "只读，无法写入");
inline constexpr const char* kDamaged = QT_TRANSLATE_NOOP("StoreTexts", "已损坏");
inline constexpr const char* kError = QT_TRANSLATE_NOOP("StoreTexts", "出错（%1）");
inline constexpr const char* kCannotOpen = QT_TRANSLATE_NOOP("StoreTexts", "无法打开");
inline constexpr const char* kCannotCreate = QT_TRANSLATE_NOOP("StoreTexts", "无法新建");
inline constexpr const char* kCannotReadVersion = QT_TRANSLATE_NOOP("StoreTexts", "无法读取其版本");
inline constexpr const char* kCannotUpgrade =
    QT_TRANSLATE_NOOP("StoreTexts", "无法升级到本程序的版本");
inline constexpr const char* kTestNotEntered = QT_TRANSLATE_NOOP("StoreTexts", "试验未录入记录库");
inline constexpr const char* kSeriesNotEntered =
    QT_TRANSLATE_NOOP("StoreTexts", "试验系列未录入记录库");
inline constexpr const char* kChangeNotEntered = QT_TRANSLATE_NOOP("StoreTexts", "修改记录未录入");
inline constexpr const char* kCannotRead = QT_TRANSLATE_NOOP("StoreTexts", "无法读取");
// %1: the store's path, %2: the name it could not take, %3: why.
inline constexpr const char* kDamagedNotMoved =
    QT_TRANSLATE_NOOP("StoreTexts", "试验记录库 %1 已损坏，且无法改名为 %2（%3）");
// %1: the store's path, %2: its new name.
inline constexpr const char* kDamagedMoved = QT_TRANSLATE_NOOP(
    "StoreTexts",
    "试验记录库 %1 已损坏：原文件已改名为 %2，并新建了空的试验记录库（可由存档重建索引）");
// %1: the store's path, %2: its version, %3: the newest this program reads.
inline constexpr const char* kNewerVersion =
    QT_TRANSLATE_NOOP("StoreTexts",
                      "试验记录库 %1 的版本为 %2，由更新的程序写成；本程序只能读写版本 %3 "
                      "及以前的记录库，未作任何改动");
inline constexpr const char* kNotOpen = QT_TRANSLATE_NOOP("StoreTexts", "试验记录库未打开");
// %1: the store's path.
inline constexpr const char* kReadOnlyNotEntered =
    QT_TRANSLATE_NOOP("StoreTexts", "试验记录库 %1 只读，无法写入：试验未录入记录库");
// %1: the archive's or the series' name.
inline constexpr const char* kNoTest = QT_TRANSLATE_NOOP("StoreTexts", "试验记录库中没有 %1");
inline constexpr const char* kNoSeries =
    QT_TRANSLATE_NOOP("StoreTexts", "试验记录库中没有试验系列 %1");
// %1: the archive's path.
inline constexpr const char* kArchiveChanged =
    QT_TRANSLATE_NOOP("StoreTexts", "存档文件 %1 在录入后被改动过");
// %1: the store's path, %2: seconds.
inline constexpr const char* kRebuiltBusy = QT_TRANSLATE_NOOP(
    "StoreTexts", "试验记录库 %1 正被其他程序占用，等待 %2 秒后仍未释放：重建的记录库未替换旧的");
// %1: the store's path, %2: why.
inline constexpr const char* kRebuiltNotMoved =
    QT_TRANSLATE_NOOP("StoreTexts", "重建的记录库无法改名为 %1（%2）");

// The shared database's. %1: where it is (user@host:port/dbname), %2: the server's words,
// %3: what failed.
inline constexpr const char* kServerFailure =
    QT_TRANSLATE_NOOP("StoreTexts", "共享数据库 %1 出错（%2）：%3");
// %1: the archive's or the series' name.
inline constexpr const char* kServerTestNotEntered =
    QT_TRANSLATE_NOOP("StoreTexts", "试验 %1 未录入");
inline constexpr const char* kServerSeriesNotEntered =
    QT_TRANSLATE_NOOP("StoreTexts", "试验系列 %1 未录入");
// The host of a database on this machine's socket.
inline constexpr const char* kThisMachine = QT_TRANSLATE_NOOP("StoreTexts", "本机");
// %1: where it is, %2: the server's words.
inline constexpr const char* kCannotConnect =
    QT_TRANSLATE_NOOP("StoreTexts", "无法连接共享数据库 %1（%2）");
// %1: where it is, %2: its version, %3: the newest this program writes.
inline constexpr const char* kServerNewerVersion =
    QT_TRANSLATE_NOOP("StoreTexts",
                      "共享数据库 %1 的版本为 %2，由更新的程序写成；本程序只能写入版本 %3 "
                      "及以前的数据库，未作任何改动");
// %1: the rig, %2: the archive's name.
inline constexpr const char* kNoServerTest =
    QT_TRANSLATE_NOOP("StoreTexts", "共享数据库中没有 %1 的 %2");
// %1: the series' name.
inline constexpr const char* kNoServerSeries =
    QT_TRANSLATE_NOOP("StoreTexts", "共享数据库中没有试验系列 %1");
// The connection's own words.
inline constexpr const char* kNoAnswer = QT_TRANSLATE_NOOP("StoreTexts", "服务器无应答");
inline constexpr const char* kStopped = QT_TRANSLATE_NOOP("StoreTexts", "已停止");
inline constexpr const char* kNoMemory = QT_TRANSLATE_NOOP("StoreTexts", "内存不足");
inline constexpr const char* kConnectionLost =
    QT_TRANSLATE_NOOP("StoreTexts", "与服务器的连接已断开");
inline constexpr const char* kNotConnected = QT_TRANSLATE_NOOP("StoreTexts", "未连接");
// The shared database's file. %1: the line's number, %2: the key.
inline constexpr const char* kConfNotPair =
    QT_TRANSLATE_NOOP("StoreTexts", "第 %1 行：应为“名称=值”");
inline constexpr const char* kConfPassword =
    QT_TRANSLATE_NOOP("StoreTexts",
                      "第 %1 行：不接受 %2：口令请放在环境变量 PGPASSWORD 或 pgpass 文件中"
                      "（默认 ~/.pgpass，PGPASSFILE 或 passfile 可指定其他文件，权限须为 0600）");
inline constexpr const char* kConfUnknown =
    QT_TRANSLATE_NOOP("StoreTexts", "第 %1 行：未知的设置 %2");
inline constexpr const char* kConfNoValue = QT_TRANSLATE_NOOP("StoreTexts", "第 %1 行：%2 没有值");
inline constexpr const char* kConfRepeated = QT_TRANSLATE_NOOP("StoreTexts", "第 %1 行：%2 重复");
// %1: the file's path, %2: why.
inline constexpr const char* kConfUnreadable =
    QT_TRANSLATE_NOOP("StoreTexts", "共享数据库配置文件 %1 无法读取（%2）");
inline constexpr const char* kConfRefused =
    QT_TRANSLATE_NOOP("StoreTexts", "共享数据库配置文件 %1 %2；试验只录入本机记录库");
// The queue of tests to send. %1: the local store's path, %2: the database's words.
inline constexpr const char* kQueueUnreadable =
    QT_TRANSLATE_NOOP("StoreTexts", "试验记录库 %1 无法读取（%2）");
inline constexpr const char* kQueueUnwritable =
    QT_TRANSLATE_NOOP("StoreTexts", "试验记录库 %1 无法写入（%2）：已发送的试验将再次发送");

// `text`, one of the above, in the shown language with %1, %2, ... filled in.
inline std::string Message(const char* text, std::initializer_list<std::string> args = {}) {
    return ui::Fill(ui::translate("StoreTexts", text), args);
}

}  // namespace store_text
