#include "acquisition/card_claim.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "../common/scratch_folder.h"

namespace {

class CardClaimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        base_ = scratch_.Path();
        // The driver folder does not exist yet: the first claim makes it.
        setenv("DQX7460_DRIVER_DIR", (base_ + "/driver").c_str(), 1);
    }
    void TearDown() override { unsetenv("DQX7460_DRIVER_DIR"); }
    ScratchFolder scratch_{"velmora-claim"};
    std::string base_;
};

TEST_F(CardClaimTest, OneHolderAtATimeUntilItEnds) {
    auto first = std::make_unique<CardClaim>();
    EXPECT_EQ(first->Claim(), CardClaim::Result::kClaimed);
    EXPECT_EQ(first->Claim(), CardClaim::Result::kClaimed);
    struct stat folder {};
    ASSERT_EQ(stat((base_ + "/driver").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    CardClaim second;
    EXPECT_EQ(second.Claim(), CardClaim::Result::kInUse);
    EXPECT_EQ(second.Claim(), CardClaim::Result::kInUse);
    first.reset();
    EXPECT_EQ(second.Claim(), CardClaim::Result::kClaimed);
}

TEST_F(CardClaimTest, LockFileThatCannotBeMadeLeavesTheDecisionToTheOpen) {
    // The lock's name is taken by a folder.
    ASSERT_EQ(mkdir((base_ + "/driver").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(CardLockPath().c_str(), 0700), 0);
    CardClaim claim;
    EXPECT_EQ(claim.Claim(), CardClaim::Result::kNoLock);
    rmdir(CardLockPath().c_str());
}

// A folder the card library refuses (another user could have made it and put a lock of
// theirs in it) is not claimed in: the program then never says the card is in use, and
// the open meets the library's own refusal.
TEST_F(CardClaimTest, FolderTheLibraryRefusesHoldsNoLock) {
    const std::string folder = base_ + "/driver";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    CardClaim claim;
    EXPECT_EQ(claim.Claim(), CardClaim::Result::kFolderRefused);
    struct stat lock {};
    EXPECT_NE(stat(CardLockPath().c_str(), &lock), 0) << "no lock file is made there";

    // Held by someone else, it still is not "in use" for this program.
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    CardClaim other;
    ASSERT_EQ(other.Claim(), CardClaim::Result::kClaimed);
    ASSERT_EQ(chmod(folder.c_str(), 0757), 0);
    EXPECT_EQ(claim.Claim(), CardClaim::Result::kFolderRefused);
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
}

// The lock lives where the library looks for its instances, by the library's one rule: an
// empty XDG_RUNTIME_DIR counts as unset.
TEST_F(CardClaimTest, LockFollowsTheLibrarysFolderRule) {
    EXPECT_EQ(CardLockPath(), base_ + "/driver/Velmora.lock");
    unsetenv("DQX7460_DRIVER_DIR");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = runtime != nullptr ? runtime : "";
    setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(CardLockPath(), "/tmp/dqx7460-" + std::to_string(getuid()) + "/Velmora.lock");
    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(CardLockPath(), "/run/user/4242/dqx7460/Velmora.lock");
    if (runtime != nullptr) {
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
    setenv("DQX7460_DRIVER_DIR", (base_ + "/driver").c_str(), 1);
}

}  // namespace
