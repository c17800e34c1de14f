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
    OutputLedger ledger;
    EXPECT_EQ(ledger.LedgerOutputWord(), std::nullopt);
    EXPECT_EQ(OutputLedgerPath(), base_ + "/a/Velmora.outputs");
    ledger.NoteOutputWord(0x00FE);
    EXPECT_EQ(ledger.LedgerOutputWord(), WORD{0x00FE});
    ledger.NoteOutputWord(0x00F8);
    ledger.NoteOutputWord(0x00FF);
    EXPECT_EQ(ledger.LedgerOutputWord(), WORD{0x00FF});
    std::ifstream in(OutputLedgerPath());
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "00ff\n");

    // Another folder has a ledger of its own, even for the same word.
    UseFolder("b");
    OutputLedger other;
    EXPECT_EQ(other.LedgerOutputWord(), std::nullopt);
    other.NoteOutputWord(0x00FF);
    EXPECT_EQ(other.LedgerOutputWord(), WORD{0x00FF});

    std::ofstream(OutputLedgerPath(), std::ios::trunc) << "zz";
    EXPECT_EQ(other.LedgerOutputWord(), std::nullopt);
}

TEST_F(OutputLedgerTest, KeepsTheFolderItWasMadeIn) {
    OutputLedger ledger;
    UseFolder("b");
    ledger.NoteOutputWord(0x00FE);
    EXPECT_EQ(ledger.LedgerOutputWord(), WORD{0x00FE});
    EXPECT_TRUE(std::filesystem::exists(base_ + "/a/Velmora.outputs"));
    EXPECT_FALSE(std::filesystem::exists(base_ + "/b/Velmora.outputs"));
    EXPECT_EQ(OutputLedger().LedgerOutputWord(), std::nullopt);
}

}  // namespace
