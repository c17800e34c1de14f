// The sampling timer: ticks on its period's grid, never early, never in a burst after a slow
// handler, and nothing after a stop, even an expiry the kernel had already counted.
#include "common/period_timer.h"

#include <QElapsedTimer>
#include <QtTest>
#include <thread>
#include <vector>

class PeriodTimerTest : public QObject {
    Q_OBJECT

  private slots:
    void ticksRepeatOnThePeriodAndNeverEarly();
    void aSlowHandlerSkipsTicksInsteadOfBurstingThem();
    void aStopDropsAnExpiryAlreadyCounted();
};

void PeriodTimerTest::ticksRepeatOnThePeriodAndNeverEarly() {
    PeriodTimer timer;
    QVERIFY(!timer.isActive());
    std::vector<qint64> at;
    QElapsedTimer clock;
    connect(&timer, &PeriodTimer::timeout, [&] { at.push_back(clock.nsecsElapsed()); });
    clock.start();
    timer.start(20);
    QCOMPARE(timer.interval(), 20);
    QVERIFY(timer.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(at.size() >= 5, 10000);
    timer.stop();
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.interval(), 20);
    // The k-th tick falls at or after k periods from the start, whatever the load.
    for (std::size_t k = 0; k < at.size(); ++k) {
        QVERIFY(at[k] >= static_cast<qint64>(k + 1) * 20'000'000);
    }
}

void PeriodTimerTest::aSlowHandlerSkipsTicksInsteadOfBurstingThem() {
    PeriodTimer timer;
    int ticks = 0;
    QElapsedTimer clock;
    connect(&timer, &PeriodTimer::timeout, [&] {
        // The first handler holds the thread for five periods: a slow handler is the case
        // under test, not a wait for something.
        if (++ticks == 1) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    });
    clock.start();
    timer.start(10);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 4, 10000);
    timer.stop();
    // The held-up periods give one timeout together, not one each.
    QVERIFY(ticks <= clock.elapsed() / 10 - 3);
}

void PeriodTimerTest::aStopDropsAnExpiryAlreadyCounted() {
    PeriodTimer timer;
    int ticks = 0;
    connect(&timer, &PeriodTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    // The thread is held while expiries are counted that its loop has not yet seen: the
    // state the stop must handle, made by holding the thread, not waited for.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    timer.stop();
    // A later timer of the same loop proves the loop has run past the stopped one.
    PeriodTimer witness;
    int witnessed = 0;
    connect(&witness, &PeriodTimer::timeout, [&] { ++witnessed; });
    witness.start(30);
    QTRY_VERIFY_WITH_TIMEOUT(witnessed >= 2, 10000);
    QCOMPARE(ticks, 0);
}

QTEST_GUILESS_MAIN(PeriodTimerTest)
#include "period_timer_test.moc"
