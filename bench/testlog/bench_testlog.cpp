// The window 试验记录 over a store of 100,000 tests: from a change of its search fields to the
// table showing the tests they select (the store's query on the window's worker thread, the
// rows handed to the table), for the searches an operator makes. Prints medians.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../common/stored_tests.h"
#include "testlog/test_log_model.h"
#include "testlog/test_log_window.h"

namespace {

constexpr int kStoredTests = 100000;
constexpr double kTargetMs = 200;

void Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(2);
}

// A saved test's entry as the store holds one: its results and notes.
StoredTest Model() {
    StoredTest model;
    model.startTime = "2026-03-07-14:05:09";
    model.area = 10.0;
    model.gaugeLength = 50.0;
    model.recordCount = 10000;
    model.archiveSha256 = std::string(64, 'a');
    for (int i = 0; i < 19; ++i)
        model.results.push_back({i, "结果 " + std::to_string(i), 10.0 + i, "MPa"});
    for (int i = 0; i < 4; ++i) model.notes.push_back({i, "说明 " + std::to_string(i)});
    return model;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    char pattern[] = "/tmp/velmora-bench-testlog-XXXXXX";
    if (mkdtemp(pattern) == nullptr) Fail("no scratch folder");
    const std::string folder = std::string(pattern) + "/";
    std::string error;
    {
        ResultsStore store;
        if (!store.Open(ResultsStorePath(folder), &error)) Fail(error);
        const StoredTest model = Model();
        std::vector<StoredTest> batch;
        for (int i = 0; i < kStoredTests; ++i) {
            batch.push_back(SyntheticTest(i, model));
            if (batch.size() == 5000 || i + 1 == kStoredTests) {
                if (!store.EnterAll(batch, &error)) Fail(error);
                batch.clear();
            }
        }
        for (int s = 0; s < kStoredTests / 5; s += 10)
            if (!store.EnterSeries(
                    {"系列 " + std::to_string(s), s % 70 == 0 ? "65Mn 弹簧钢" : "Q235", "A224",
                     "Tolvane", 5, "", ""},
                    &error))
                Fail(error);
    }

    CTestLogWnd window(folder);
    window.show();
    QSignalSpy listed(&window, &CTestLogWnd::Listed);
    if (!listed.wait(60000)) Fail("the first listing never came");
    auto* search = window.findChild<QLineEdit*>(QStringLiteral("search"));
    auto* byDate = window.findChild<QCheckBox*>(QStringLiteral("byDate"));
    auto* from = window.findChild<QDateEdit*>(QStringLiteral("from"));
    auto* to = window.findChild<QDateEdit*>(QStringLiteral("to"));

    bool missed = false;
    const auto time = [&](const char* what, const std::function<void(int)>& change) {
        std::vector<double> ms;
        int rows = 0;
        for (int run = 0; run < 9; ++run) {
            listed.clear();
            QElapsedTimer timer;
            timer.start();
            change(run);
            if (!listed.wait(10000)) Fail(std::string("no listing for ") + what);
            ms.push_back(timer.nsecsElapsed() / 1e6);
            rows = window.Model()->rowCount();
        }
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        missed = missed || median > kTargetMs;
        std::printf("%-40s %6d rows  median %7.1f ms  max %7.1f  target %.0f ms  %s\n", what, rows,
                    median, ms.back(), kTargetMs, median > kTargetMs ? "MISSED" : "ok");
    };
    std::printf("试验记录 over %d stored tests:\n", kStoredTests);
    time("newest, no filter",
         [&](int run) { search->setText(run % 2 ? QString() : QStringLiteral(" ")); });
    time("an operator", [&](int run) {
        search->setText(run % 2 ? QStringLiteral("Halvik") : QStringLiteral("Halvi"));
    });
    time("a material", [&](int run) {
        search->setText(run % 2 ? QStringLiteral("65Mn") : QStringLiteral("65M"));
    });
    time("a test name", [&](int run) {
        search->setText(run % 2 ? QStringLiteral("焊缝17") : QStringLiteral("焊缝1"));
    });
    search->clear();
    listed.wait(10000);
    to->setDate(QDate(2024, 3, 31));
    listed.wait(10000);
    byDate->setChecked(true);
    listed.wait(10000);
    time("one month", [&](int run) { from->setDate(QDate(2024, 3, 1 + run % 2)); });
    return missed ? 1 : 0;
}
