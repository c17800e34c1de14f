#include "common/free_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Answers kTaken for the first `taken` names, then `last`; records every name offered.
struct Attempts {
    int taken;
    NameAttempt last;
    std::vector<std::string> offered;

    NameAttempt operator()(const std::string& name) {
        offered.push_back(name);
        return static_cast<int>(offered.size()) <= taken ? NameAttempt::kTaken : last;
    }
};

NameAttempt Walk(Attempts& attempts, std::string* name) {
    return WalkFreeNames(
        "base", [&](const std::string& n) { return attempts(n); }, name);
}

}  // namespace

TEST(FreeNameTest, TakenNamesGiveWayToTheNextNumber) {
    Attempts attempts{2, NameAttempt::kDone, {}};
    std::string name;
    EXPECT_EQ(Walk(attempts, &name), NameAttempt::kDone);
    EXPECT_EQ(attempts.offered, (std::vector<std::string>{"base", "base-2", "base-3"}));
    EXPECT_EQ(name, "base-3");

    Attempts free{0, NameAttempt::kDone, {}};
    EXPECT_EQ(Walk(free, &name), NameAttempt::kDone);
    EXPECT_EQ(name, "base");
}

TEST(FreeNameTest, AFailureEndsTheWalkAtOnce) {
    Attempts attempts{1, NameAttempt::kFailed, {}};
    std::string name;
    EXPECT_EQ(Walk(attempts, &name), NameAttempt::kFailed);
    EXPECT_EQ(attempts.offered.size(), 2u);
    EXPECT_EQ(name, "base-2");
}

TEST(FreeNameTest, TheWalkEndsAfterNinetyNineTakenNames) {
    Attempts attempts{1000, NameAttempt::kDone, {}};
    std::string name;
    EXPECT_EQ(Walk(attempts, &name), NameAttempt::kTaken);
    ASSERT_EQ(attempts.offered.size(), 99u);
    EXPECT_EQ(attempts.offered[1], "base-2");
    EXPECT_EQ(name, "base-99");
}
