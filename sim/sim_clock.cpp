#include "sim_clock.h"

#include <cmath>
#include <utility>

namespace sim {

SimClock::SimClock(double scale, WallClock wall)
    : scale_(scale), wall_(std::move(wall)), since_(wall_()) {}

double SimClock::NowLocked() const {
    return held_ ? base_ : base_ + scale_ * (wall_() - since_);
}

double SimClock::Now() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return NowLocked();
}

void SimClock::Hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    base_ = NowLocked();
    held_ = true;
}

void SimClock::Run() {
    std::lock_guard<std::mutex> lock(mutex_);
    base_ = NowLocked();
    since_ = wall_();
    held_ = false;
}

bool SimClock::Advance(double seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!held_ || !(seconds > 0.0) || !std::isfinite(seconds)) return false;
    base_ += seconds;
    return true;
}

bool SimClock::Held() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
}

}  // namespace sim
