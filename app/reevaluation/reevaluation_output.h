// What velmora-results prints: a table for people, CSV for spreadsheets, JSON for scripts.
// Every value at full precision (the shortest decimal that reads back as the same double).
#pragma once

#include <string>
#include <vector>

#include "reevaluation/reevaluation.h"

// The lines of a test's results as the CSV's result block gives them: S0, L0, Su, Lu, the
// result rows, then the break record (none when the break rule did not fire).
std::vector<ResultRow> PrintedRows(const ResultSet& set);

// Columns as wide as a terminal shows the text: CJK characters take two places.
std::size_t DisplayWidth(const std::string& utf8);

// Each test: its file, specimen id, exclusion and the values from the command line, the
// columns 项目 / 数值 / 单位 aligned, then its notes; then, with statistics, one row per
// result (n, mean, standard deviation, CV, minimum, maximum, 95 % confidence interval) and the
// excluded specimens with their reasons.
// `language` gives the table's labels and the engine's names and notes in another language;
// without it they are as the files have them.
struct TableLanguage {
    std::string (*label)(const char* text) = nullptr;          // a text of this file's
    std::string (*result)(const std::string& text) = nullptr;  // an engine's name or note
};
std::string TableText(const Evaluation& evaluation, const TableLanguage& language = {});
// Header "文件,试样,项目,数值,单位", one line per result and per note (项目 "说明") and per value
// from the command line (项目 "命令行"); with statistics, after a blank line, the header
// "统计,项目,单位,n,平均值,标准差,变异系数(%),最小值,最大值,95%置信下限,95%置信上限" and
// its rows, then "排除,<file>,<specimen>,<reason>" lines.
std::string CsvText(const Evaluation& evaluation);
// {"tests": [...], "refused": [...], "statistics": {...} or null}; a missing value is null.
std::string JsonText(const Evaluation& evaluation);
// A JSON string literal of UTF-8 text: quotes, backslashes and control characters escaped,
// a byte that is not part of well-formed UTF-8 given as U+FFFD.
std::string JsonString(const std::string& utf8);
