#include "acquisition/card_claim.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace {

class CardClaimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/velmora-claim-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base_ = pattern;
        // The driver folder does not exist yet: the first claim makes it.
        setenv("DQX7460_DRIVER_DIR", (base_ + "/driver").c_str(), 1);
    }
    void TearDown() override {
        unlink(CardLockPath().c_str());
        rmdir((base_ + "/driver").c_str());
        rmdir(base_.c_str());
        unsetenv("DQX7460_DRIVER_DIR");
    }
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

}  // namespace
