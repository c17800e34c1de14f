// Termination signals reach the window's thread through the event loop, never in the
// middle of what it is doing: a save that a signal interrupts still completes.
#include "shell/termination.h"

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <string>
#include <thread>

#include "common/atomic_file.h"

class TerminationTest : public QObject {
    Q_OBJECT

  private slots:
    void eachSignalIsDeliveredInTheEventLoop();
    void aSignalDuringASaveLetsTheSaveComplete();
};

void TerminationTest::eachSignalIsDeliveredInTheEventLoop() {
    CTerminationSignals termination;
    QSignalSpy requested(&termination, &CTerminationSignals::Requested);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        QCOMPARE(::raise(signalNumber), 0);
        // Nothing happens inside the handler: the request waits for the loop.
        QCOMPARE(requested.size(), 0);
        QTRY_COMPARE(requested.size(), 1);
        QCOMPARE(requested.takeFirst().at(0).toInt(), signalNumber);
    }
}

void TerminationTest::aSignalDuringASaveLetsTheSaveComplete() {
    CTerminationSignals termination;
    QSignalSpy requested(&termination, &CTerminationSignals::Requested);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = QDir(dir.path()).filePath(QStringLiteral("a.dat")).toStdString();
    const std::string bytes(64 << 20, 'x');
    std::atomic<bool> saving{true};
    std::atomic<int> sent{0};
    std::thread sender([&] {
        while (saving) {
            if (::kill(::getpid(), SIGTERM) == 0) ++sent;
            std::this_thread::yield();
        }
    });
    std::string error;
    const bool saved = WriteFileAtomically(path, bytes, &error);
    saving = false;
    sender.join();
    QVERIFY2(saved, error.c_str());
    QVERIFY(sent > 0);
    QCOMPARE(QFileInfo(QString::fromStdString(path)).size(), qint64(bytes.size()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    QTRY_VERIFY(requested.size() > 0);
}

QTEST_GUILESS_MAIN(TerminationTest)
#include "termination_test.moc"
