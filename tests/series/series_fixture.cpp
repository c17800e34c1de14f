#include "series_fixture.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "records/archive.h"
#include "records/archive_ini.h"
#include "run/run_state.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

double ModelForce(double fm, double d) {
    if (d <= 0.5) return 40 * d;
    if (d <= 8) return 20 + (fm - 20) * std::sqrt((d - 0.5) / 7.5);
    if (d <= kFractureDisplacement + 1e-9) return fm - 0.2 * fm * (d - 8) / 2;
    return 0.2;
}

bool WriteModelSpecimen(const std::string& folder, const std::string& series,
                        const ModelSpecimen& s, std::string* error) {
    Settings settings;
    settings.SetDefaults();
    settings.Parse();
    const auto run = std::make_unique<TestRun>();
    const int out = 1021;  // records to 10.2 mm; the rest return to 0
    for (int i = 1; i <= s.records; ++i) {
        const double d = i <= out ? (i - 1) * 0.01 : 10.2 * (s.records - i) / (s.records - out);
        const double f = i <= out ? ModelForce(s.maxForce, d) : 0.2;
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f);
        run->g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run->g_strRecord1[i] = text;
        run->g_dRecordTime[i] = 0.03 * i;
    }
    run->g_nRecordCount = s.records;
    run->g_strStartTime = "2026-12-09-10:0" + std::to_string(s.number % 10) + ":00";
    run->g_strOperator = "Tolvane";
    run->g_seriesMember = {series, s.number, s.excluded};
    SpecimenDims dims;
    if (s.withDimensions) dims = {kSpecimenArea, kSpecimenGauge};
    char number[8];
    std::snprintf(number, sizeof number, "-%02d", s.number);
    const std::string archive = folder + series + number + ".dat";
    return WriteArchive(settings, *run, archive, error) &&
           WriteTestFile(*run, dims, TestFilePathOf(archive), error);
}
