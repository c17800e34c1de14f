// The name a new file takes when its first choice may be taken: the first choice, then the
// same with "-2", "-3", ... appended, so that nothing already there is replaced.
#pragma once

#include <functional>
#include <string>

// What taking one name came to.
enum class NameAttempt { kTaken, kDone, kFailed };

// Names offered at most: the first choice and "-2" up to "-99".
constexpr int kMostFreeNameAttempts = 99;

// Offers `base`, then base + "-2", base + "-3", ... to `attempt` while it answers kTaken,
// at most kMostFreeNameAttempts names, and returns its last answer: kTaken only when every
// name was taken. *name holds the last name offered.
NameAttempt WalkFreeNames(const std::string& base,
                          const std::function<NameAttempt(const std::string&)>& attempt,
                          std::string* name);
