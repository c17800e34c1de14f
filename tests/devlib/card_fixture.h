// Installs a RecordingDriver with one card (number 1 on instance 0) for each test.
#pragma once

#include <gtest/gtest.h>

#include "recording_driver.h"

namespace devlib_test {

class CardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        driver.AddCard(0, 1);
        dqx7460::SetDriver(&driver);
    }
    void TearDown() override { dqx7460::SetDriver(nullptr); }

    RecordingDriver driver;
    HANDLE handle = RecordingDriver::HandleOf(0);
};

}  // namespace devlib_test
