// The results store's messages (UTF-8, Chinese), built from templates so that a window can
// show them translated; what the store keeps (its history of changes) stays as it is.
#pragma once

#include <vector>

#include "common/text_template.h"

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

}  // namespace store_text

// Every text above, for the windows that look a message's template up again.
inline const std::vector<const char*>& StoreTextTemplates() {
    using namespace store_text;
    static const std::vector<const char*> templates = {kFailure,
                                                       kBusy,
                                                       kFull,
                                                       kDisk,
                                                       kReadOnly,
                                                       kDamaged,
                                                       kError,
                                                       kCannotOpen,
                                                       kCannotCreate,
                                                       kCannotReadVersion,
                                                       kCannotUpgrade,
                                                       kTestNotEntered,
                                                       kSeriesNotEntered,
                                                       kChangeNotEntered,
                                                       kCannotRead,
                                                       kDamagedNotMoved,
                                                       kDamagedMoved,
                                                       kNewerVersion,
                                                       kNotOpen,
                                                       kReadOnlyNotEntered,
                                                       kNoTest,
                                                       kNoSeries,
                                                       kArchiveChanged,
                                                       kRebuiltBusy,
                                                       kRebuiltNotMoved};
    return templates;
}
