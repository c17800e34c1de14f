// The results of a stored test: any bytes as an archive, read; its records (up to the
// first empty one, as playback takes them) through the results engine, the result texts
// and the force-extension curve drawn off screen. Two header bytes after the path choose
// the break record, so the break and no-break cases are both reached.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "run/run_state.h"
#include "records/archive.h"
#include "results/force_curve.h"
#include "results/results_engine.h"
#include "scratch_archive.h"
#include "settings/settings_record.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "results_fuzz";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string archive = WriteScratchArchive(data, size);

    Settings settings;
    const auto runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    const SpecimenDims specimen;
    std::string name;
    std::string error;
    if (!ReadArchive(settings, run, archive, &name, &error)) return 0;
    run.g_nRecordCount = 0;
    while (run.g_nRecordCount < run.g_nRecordCapacity &&
           !run.g_strRecord0[run.g_nRecordCount + 1].empty())
        ++run.g_nRecordCount;
    run.g_nBreakRecord = (data[254] << 8 | data[255]) % (run.g_nRecordCount + 2);

    const ResultSet set = ResultsOfCurrentTest(settings, run, specimen);
    for (const ResultRow& row : set.rows) ResultValueText(row.value);
    QImage frame(320, 240, QImage::Format_RGB32);
    QPainter painter(&frame);
    DrawForceCurve(painter, frame.rect(), set, CurveScale{});
    return 0;
}
