// A repeating timer that keeps its phase to the microsecond: a QTimer wakes up to a
// millisecond late at random, which alone puts a 30 ms tick's intervals up to 1 ms off
// the period. This one waits on a kernel timer (timerfd) whose expirations fall on the
// period's own grid; a late handler loses no phase, and ticks missed under a long
// handler are skipped, as a QTimer skips them. Where the kernel gives no timer (a process
// out of descriptors) it ticks with a precise QTimer instead.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

class PeriodTimer : public QObject {
    Q_OBJECT

  public:
    explicit PeriodTimer(QObject* parent = nullptr);
    ~PeriodTimer() override;

    // Starts (or restarts) the timer with its first timeout one period from now.
    void start(int periodMs);
    void stop();
    bool isActive() const { return m_active; }
    // The period last started with, as QTimer::interval() keeps it after a stop.
    int interval() const { return m_periodMs; }

  signals:
    void timeout();

  private:
    void Expired();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_fallback;
    int m_periodMs = 0;
    bool m_active = false;
};
