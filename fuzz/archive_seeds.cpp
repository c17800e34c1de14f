// Writes the seed archives of the archive and results fuzz targets into a folder: real
// archives of the program (210716 bytes each, which is all the reader takes), with several
// settings and record counts, so that mutations start inside the parser instead of at its
// size check.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "run/readouts.h"
#include "run/run_state.h"
#include "records/archive.h"
#include "settings/settings_record.h"

namespace {

struct Seed {
    const char* name;
    int records;
    const char* inputType;
    const char* rangeHigh0;
    const char* rangeLow0;
    const char* samplePeriod;
    double peakForce;  // of the tensile curve the records follow
};

// A pull test as the program records it: a rise to the peak, necking, a drop at the break.
void FillRecords(const Settings& settings, TestRun& run, const Seed& seed) {
    for (int i = 1; i <= seed.records; ++i) {
        const double x = static_cast<double>(i) / std::max(1, seed.records);
        const double force = x < 0.8 ? seed.peakForce * std::sin(x / 0.8 * M_PI / 2)
                                     : seed.peakForce * (1 - 3 * (x - 0.8));
        const double displacement = 20 * x;
        run.g_strRecord0[i] = FormatChannelValue(0, force, settings.g_dFullScale0);
        run.g_strRecord1[i] = FormatChannelValue(1, displacement, settings.g_dFullScale1);
    }
    run.g_nRecordCount = seed.records;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: archive_seeds <folder>\n");
        return 2;
    }
    const Seed seeds[] = {
        {"empty", 0, "-5V~+5V", "50.000", "-50.000", "30", 0},
        {"one_record", 1, "-5V~+5V", "50.000", "-50.000", "30", 12},
        {"twelve_records", 12, "-5V~+5V", "50.000", "-50.000", "30", 30},
        {"unipolar_500", 500, "0~+5V", "500.00", "0.0000", "50", 420},
        {"wide_range_2000", 2000, "-10V~+10V", "5000.0", "-5000.0", "10", 3800},
        {"small_range_300", 300, "0~+10V", "5.0000", "-2.0000", "100", 4.5},
        {"full_10000", 10000, "-5V~+5V", "50.000", "-50.000", "30", 33},
    };
    for (const Seed& seed : seeds) {
        Settings settings;
        const auto runState = std::make_unique<TestRun>();
        TestRun& run = *runState;
        settings.g_strInputType = seed.inputType;
        settings.g_strRangeHigh0 = seed.rangeHigh0;
        settings.g_strRangeLow0 = seed.rangeLow0;
        settings.g_strSamplePeriod = seed.samplePeriod;
        settings.Parse();
        FillRecords(settings, run, seed);
        FormatReadouts(settings, run);
        const std::string path = std::string(argv[1]) + "/" + seed.name + ".dat";
        std::string error;
        if (!WriteArchive(settings, run, path, &error)) {
            std::fprintf(stderr, "archive_seeds: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
