// Each records test runs in a temporary working directory of its own, with the data folder
// anchored there, default settings and an empty run state.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../common/scratch_folder.h"
#include "run/run_state.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

class RecordsTest : public ::testing::Test {
  protected:
    void SetUp() override;

    // The whole file, or "" when it cannot be read.
    static std::string ReadWhole(const std::string& path);
    static void WriteWhole(const std::string& path, const std::string& bytes);
    // Names in the data folder.
    static std::vector<std::string> DataFolderEntries();
    // Records 1..count with distinct texts on both channels; run.g_nRecordCount = count.
    void FillRecords(int count);

    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    SpecimenDims specimen;

  private:
    ScratchFolder workDir_{"records"};
};

// The workbook as Debian's xlrd reads it (tests/records/read_xls.py).
struct XlrdSheet {
    bool ran = false;
    std::string summary;
    std::vector<std::vector<std::string>> rows;
};
// The sheet with the given index (0: the first).
XlrdSheet ReadWithXlrd(const std::string& path, int sheet = 0);
