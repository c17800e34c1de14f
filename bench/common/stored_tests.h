// Many stored tests for the benchmarks of the store and of 试验记录: names, operators,
// series and save times spread as a lab's years of tests are.
#pragma once

#include <ctime>
#include <string>

#include "store/results_store.h"

// Tests of many names, operators, series and save times, each with the saved test's results.
inline StoredTest SyntheticTest(int i, const StoredTest& model) {
    static const char* const kNames[] = {"钢丝", "拉杆", "螺栓", "板材", "焊缝", "铝型材"};
    static const char* const kOperators[] = {"Tolvane", "Brenn", "Halvik", "Oster", "Marrow"};
    StoredTest test = model;
    char text[64];
    const int day = i % 1000, second = i * 7919 % 86400;
    const std::time_t when = 1704067200 + static_cast<std::time_t>(day) * 86400 + second;
    std::tm local{};
    gmtime_r(&when, &local);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    test.savedAt = text;
    test.testName = std::string(kNames[i % 6]) + std::to_string(i % 97);
    test.operatorName = kOperators[i % 5];
    test.archiveName = test.testName + "-" + std::to_string(i) + ".dat";
    test.series = i % 3 == 0 ? "" : "系列 " + std::to_string(i / 5);
    test.specimenNumber = test.series.empty() ? 0 : i % 5 + 1;
    for (StoredResult& result : test.results)
        if (result.value) *result.value *= 1 + (i % 101) * 1e-3;
    return test;
}
