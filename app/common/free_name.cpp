#include "common/free_name.h"

NameAttempt WalkFreeNames(const std::string& base,
                          const std::function<NameAttempt(const std::string&)>& attempt,
                          std::string* name) {
    NameAttempt outcome = NameAttempt::kTaken;
    for (int n = 1; n <= kMostFreeNameAttempts && outcome == NameAttempt::kTaken; ++n) {
        *name = n == 1 ? base : base + "-" + std::to_string(n);
        outcome = attempt(*name);
    }
    return outcome;
}
