// The rig's time. Running, it follows the wall clock times a scale; held, it stands still
// and moves on only by the steps asked of it, so that a test lets the rig go no faster than
// the program it watches keeps up, however busy the machine is.
#pragma once

#include <functional>
#include <mutex>

namespace sim {

class SimClock {
  public:
    using WallClock = std::function<double()>;  // seconds, never decreasing

    SimClock(double scale, WallClock wall);

    // Simulated seconds since the clock was made; never decreasing.
    double Now() const;
    // Stops the time where it is.
    void Hold();
    // The time runs on from where it stands.
    void Run();
    // Moves a held clock on; false (and nothing moves) while it runs or for a step that is
    // not a positive number.
    bool Advance(double seconds);
    bool Held() const;

  private:
    double NowLocked() const;

    mutable std::mutex mutex_;
    const double scale_;
    const WallClock wall_;
    double base_ = 0.0;   // simulated time at the last hold or run
    double since_ = 0.0;  // wall time of the last run
    bool held_ = false;
};

}  // namespace sim
