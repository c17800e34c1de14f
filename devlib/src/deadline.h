// Bounds on waiting for the card. Each device-control call has its own deadline, and every
// call of one exported operation shares the operation's deadline as well, so a card that
// answers slowly holds a caller for one operation's budget at most, however it paces its
// replies. A call that would start after its operation's deadline fails without reaching
// the driver.
#pragma once

#include <chrono>

namespace dqx7460 {

using Clock = std::chrono::steady_clock;

// A healthy card answers in well under a millisecond; a scan is about a hundred calls.
constexpr std::chrono::milliseconds kDefaultRequestTimeout{3000};
constexpr std::chrono::milliseconds kDefaultOperationBudget{2000};

// Test hooks: the bounds for calls and operations that start afterwards.
void SetRequestTimeout(std::chrono::milliseconds timeout);
void SetOperationBudget(std::chrono::milliseconds budget);
std::chrono::milliseconds OperationBudget();

// The moment by which the device-control call starting now must be complete: its own
// deadline or, sooner, that of the operation under way on this thread.
Clock::time_point RequestDeadline();

// True once the operation under way on this thread has overrun its deadline.
bool OperationExpired();

// Bounds one exported operation. The outermost scope on a thread sets the deadline;
// operations called inside another share the caller's. A budget of zero takes the
// default budget.
class OperationScope {
  public:
    explicit OperationScope(std::chrono::milliseconds budget = std::chrono::milliseconds::zero());
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
};

}  // namespace dqx7460
