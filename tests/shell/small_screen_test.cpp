// The windows on a 1366 x 768 screen, as a laptop in a lab has: the main window, the
// simulator's rig panel and the results window fit, and the main window leaves the panel's
// title bar and Start button free.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "run/run_state.h"
#include "card.h"
#include "common/message_box.h"
#include "common/screen_fit.h"
#include "panel/rig_panel.h"
#include "results/results_window.h"
#include "rig.h"
#include "settings/data_folder.h"
#include "shell/main_dialog.h"

namespace {

const QRect kScreen(0, 0, 1366, 768);

QString Rect(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

class SmallScreenTest : public QObject {
    Q_OBJECT

  private slots:
    void fitIntoAreaMovesAndShrinks() {
        const QMargins frame(2, 30, 2, 2);
        const QRect area(0, 0, 1366, 738);
        // Inside already: unchanged.
        QCOMPARE(FitIntoArea(QRect(100, 100, 400, 300), frame, area), QRect(100, 100, 400, 300));
        // Past the bottom edge: moved up so the frame ends on it.
        QCOMPARE(FitIntoArea(QRect(200, 500, 960, 540), frame, area), QRect(200, 196, 960, 540));
        // Title bar above the top: moved down.
        QCOMPARE(FitIntoArea(QRect(-50, 0, 400, 300), frame, area), QRect(2, 30, 400, 300));
        // Taller than the area: shrunk to it.
        QCOMPARE(FitIntoArea(QRect(0, 0, 960, 900), frame, area), QRect(2, 30, 960, 706));
    }

    void windowsFitAndLeaveTheRigsStartFree() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        AnchorDataFolder();
        qputenv("DQX7460_DRIVER_DIR", QFile::encodeName(dir.filePath(QStringLiteral("none"))));
        SetMessageBoxHandler([](const QString&, const QString&) {});

        QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->geometry(), kScreen);
        const QRect available = screen->availableGeometry();

        // As the lab starts them: the simulator's panel first, then the program.
        sim::Card card;
        sim::Rig rig(card, sim::RigParams(), [] { return 0.0; });
        sim::RigPanel panel(rig);
        sim::ShowRigPanel(panel);
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto dlg = std::make_unique<CTestDlg>();
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));

        const QRect main = dlg->frameGeometry();
        QVERIFY2(available.contains(main), qPrintable(Rect(main)));
        QVERIFY2(available.contains(panel.frameGeometry()),
                 qPrintable(Rect(panel.frameGeometry())));
        // The panel's title bar: above its client area, on the screen and not under the window.
        const QRect title(panel.frameGeometry().topLeft(),
                          QPoint(panel.frameGeometry().right(), panel.geometry().top() - 1));
        QVERIFY(available.contains(title.topLeft()));
        auto* start = panel.findChild<QPushButton*>(QStringLiteral("start"));
        const QRect startRect(start->mapToGlobal(QPoint(0, 0)), start->size());
        QVERIFY2(!startRect.intersects(main),
                 qPrintable(Rect(startRect) + QStringLiteral(" under ") + Rect(main)));

        // The results window opens over the main window, wholly on the screen.
        dlg->OnResults();
        CResultsWnd* results = dlg->ResultsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(results));
        QVERIFY2(available.contains(results->frameGeometry()),
                 qPrintable(Rect(results->frameGeometry())));

        dlg.reset();
        SetMessageBoxHandler({});
        qunsetenv("DQX7460_DRIVER_DIR");
        QDir::setCurrent(previous);
    }
};

// The offscreen platform with one 1366 x 768 screen; windows get frame margins as under a
// window manager.
int main(int argc, char** argv) {
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(QStringLiteral("{\"windowFrameMargins\": true, \"screens\": [{\"name\": \"laptop\", "
                              "\"x\": 0, \"y\": 0, \"width\": %1, \"height\": %2, "
                              "\"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                   .arg(kScreen.width())
                   .arg(kScreen.height())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", QFile::encodeName(QStringLiteral("offscreen:configfile=") + config));
    QApplication app(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "small_screen_test.moc"
