#include "acquisition/output_ledger.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../common/scratch_folder.h"

namespace {

class OutputLedgerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        base_ = scratch_.Path();
        UseFolder("a");
    }
    void TearDown() override { unsetenv("DQX7460_DRIVER_DIR"); }
    void UseFolder(const std::string& name) {
        const std::string folder = base_ + "/" + name;
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        setenv("DQX7460_DRIVER_DIR", folder.c_str(), 1);
    }
    ScratchFolder scratch_{"velmora-ledger"};
    std::string base_;
};

TEST_F(OutputLedgerTest, HoldsTheLastWordBesideTheLock) {
    EXPECT_EQ(LedgerOutputWord(), std::nullopt);
    EXPECT_EQ(OutputLedgerPath(), base_ + "/a/Velmora.outputs");
    NoteOutputWord(0x00FE);
    EXPECT_EQ(LedgerOutputWord(), WORD{0x00FE});
    NoteOutputWord(0x00F8);
    NoteOutputWord(0x00FF);
    EXPECT_EQ(LedgerOutputWord(), WORD{0x00FF});
    std::ifstream in(OutputLedgerPath());
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "00ff\n");

    // Another folder has a ledger of its own, even for the same word.
    UseFolder("b");
    EXPECT_EQ(LedgerOutputWord(), std::nullopt);
    NoteOutputWord(0x00FF);
    EXPECT_EQ(LedgerOutputWord(), WORD{0x00FF});

    std::ofstream(OutputLedgerPath(), std::ios::trunc) << "zz";
    EXPECT_EQ(LedgerOutputWord(), std::nullopt);
}

}  // namespace
