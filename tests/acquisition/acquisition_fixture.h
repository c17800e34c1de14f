// Program state for the acquisition tests: the default settings, parsed, and a clean run
// state, as at start-up.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "run/run_state.h"
#include "settings/settings_record.h"

class AcquisitionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.Parse();
    }

    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
};

// Polls the predicate until it holds or five seconds have passed.
template <typename Predicate>
bool WaitFor(Predicate holds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!holds()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}
