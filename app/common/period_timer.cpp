#include "common/period_timer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>

namespace {

timespec Milliseconds(int ms) {
    return {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
}

}  // namespace

PeriodTimer::PeriodTimer(QObject* parent) : QObject(parent) {
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, &PeriodTimer::timeout);
    m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PeriodTimer::Expired);
}

PeriodTimer::~PeriodTimer() {
    m_notifier.reset();
    if (m_fd >= 0) close(m_fd);
}

void PeriodTimer::start(int periodMs) {
    m_periodMs = periodMs;
    m_active = true;
    if (m_fd < 0) return m_fallback.start(periodMs);
    // A zero period would disarm the kernel timer; one millisecond is the shortest tick.
    const timespec period = Milliseconds(periodMs > 0 ? periodMs : 1);
    const itimerspec spec{period, period};
    timerfd_settime(m_fd, 0, &spec, nullptr);
    m_notifier->setEnabled(true);
}

void PeriodTimer::stop() {
    m_active = false;
    if (m_fd < 0) return m_fallback.stop();
    const itimerspec disarmed{};
    timerfd_settime(m_fd, 0, &disarmed, nullptr);
    m_notifier->setEnabled(false);
}

void PeriodTimer::Expired() {
    std::uint64_t expirations = 0;
    if (read(m_fd, &expirations, sizeof expirations) != sizeof expirations) return;
    // A stop from an earlier handler in this turn of the event loop wins over an expiry
    // the kernel had already counted.
    if (m_active) emit timeout();
}
