// Prints the median cost of one sampling tick of a live run (the simulated card's time
// taken out), with 10 and with 10000 records, with and without the repaint that follows,
// and the resident memory of the window holding 10000 records; then the same ticks with the
// extensometer on (three channels a scan, its readout window and records column) against
// the two-channel ones.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "card.h"
#include "common/message_box.h"
#include "driver.h"
#include "in_process_driver.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/extensometer_settings.h"
#include "shell/main_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;

// Passes every call to the simulated card and adds up the time spent there.
class TimingDriver : public dqx7460::ForwardingDriver {
  public:
    using ForwardingDriver::ForwardingDriver;
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        const auto start = Clock::now();
        const bool ok = ForwardingDriver::Control(handle, code, in, inLen, out, outLen, returned);
        spent += Clock::now() - start;
        return ok;
    }
    Clock::duration spent{};
};

double MedianMicros(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Median tick cost in microseconds with the record count held at `records` before each
// tick; the card's share is subtracted. With `repaint`, the events the tick leaves behind
// (the list's and readouts' repaint) are processed and counted too.
double MeasureTick(CTestDlg& dlg, TimingDriver& driver, int records, bool repaint) {
    TestRun& run = dlg.Run();
    constexpr int kTicks = 1000;
    std::vector<double> costs;
    costs.reserve(kTicks);
    for (int i = 0; i < kTicks; ++i) {
        run.g_nRecordCount = records - 1;
        driver.spent = Clock::duration{};
        const auto start = Clock::now();
        dlg.SampleTick();
        if (repaint) QApplication::processEvents();
        const auto total = Clock::now() - start - driver.spent;
        costs.push_back(std::chrono::duration<double, std::micro>(total).count());
    }
    return MedianMicros(costs);
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    AnchorDataFolder();
    SetMessageBoxHandler([](const QString& text, const QString&) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });

    sim::Card card(1);
    sim::InProcessDriver inProcess;
    inProcess.AddCard(0, card);
    TimingDriver driver(inProcess);
    dqx7460::SetDriver(&driver);

    const long before = ResidentKilobytes();
    CTestDlg dlg;
    dlg.show();
    TestRun& run = dlg.Run();
    QApplication::processEvents();
    card.SetVoltage(0, 1.2);
    card.SetVoltage(1, 0.8);
    dlg.OnStart();
    dlg.KillTimer(kSampleTimer);
    dlg.KillTimer(kPollTimer);
    for (int i = 1; i <= 10000; ++i) {
        run.g_strRecord0[i] = "012.345";
        run.g_strRecord1[i] = "008.000";
    }

    const double tick10 = MeasureTick(dlg, driver, 10, false);
    const double tick10000 = MeasureTick(dlg, driver, 10000, false);
    const double paint10 = MeasureTick(dlg, driver, 10, true);
    const double paint100 = MeasureTick(dlg, driver, 100, true);
    const double paint10000 = MeasureTick(dlg, driver, 10000, true);
    const long after = ResidentKilobytes();

    // The extensometer is switched on between two runs, as its dialog allows.
    dlg.OnStop();
    ExtensometerSettings extensometer;
    extensometer.enabled = true;
    dlg.SetExtensometer(extensometer);
    card.SetVoltage(2, 0.5);
    dlg.OnStart();
    dlg.KillTimer(kSampleTimer);
    dlg.KillTimer(kPollTimer);
    const double ext10 = MeasureTick(dlg, driver, 10, false);
    const double ext10000 = MeasureTick(dlg, driver, 10000, false);
    const double extPaint10 = MeasureTick(dlg, driver, 10, true);
    const double extPaint10000 = MeasureTick(dlg, driver, 10000, true);

    std::printf("sampling tick, card excluded, median of 1000:\n");
    std::printf("  10 records:    %8.1f us   (with repaint %8.1f us)\n", tick10, paint10);
    std::printf("  10000 records: %8.1f us   (with repaint %8.1f us)\n", tick10000, paint10000);
    std::printf("  ratio 10000/10: %.2f\n", tick10000 / tick10);
    // A list whose visible rows are all filled paints the same for 100 or 10000 records.
    std::printf("  repaint with 100 records: %.1f us, ratio 10000/100: %.2f\n", paint100,
                paint10000 / paint100);
    std::printf("resident memory with 10000 records: %.1f MB (%.1f MB before the window)\n",
                after / 1024.0, before / 1024.0);
    std::printf("three channels (extensometer on), card excluded, median of 1000:\n");
    std::printf("  10 records:    %8.1f us   (with repaint %8.1f us)\n", ext10, extPaint10);
    std::printf("  10000 records: %8.1f us   (with repaint %8.1f us)\n", ext10000, extPaint10000);
    std::printf("  three/two channels: %.2f (10), %.2f (10000); with repaint %.2f, %.2f\n",
                ext10 / tick10, ext10000 / tick10000, extPaint10 / paint10,
                extPaint10000 / paint10000);
    dqx7460::SetDriver(nullptr);
    return 0;
}
