// Time to write the workbook of a full 10000-record test: building the stream in memory,
// and the whole ExportSpreadsheet with its file write. Prints the figures.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "records/biff8_writer.h"
#include "records/compound_file.h"
#include "records/workbook.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

constexpr int kRuns = 21;

template <typename Step>
std::vector<double> TimeRuns(Step step) {
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        step();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void Print(const char* what, const std::vector<double>& ms) {
    std::printf("%-44s median %7.2f ms  min %7.2f  max %7.2f  (%d runs)\n", what, ms[ms.size() / 2],
                ms.front(), ms.back(), kRuns);
}

}  // namespace

int main() {
    std::string folder = std::filesystem::temp_directory_path().string() + "/bench-workbook-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    Settings settings;
    const auto runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    const SpecimenDims specimen;
    run.g_strStartTime = "2025-03-07-14:05:09";
    // Distinct texts on every record: the largest shared-string table a test can make.
    for (int i = 1; i <= 10000; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", i * 0.013);
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", i * 0.007);
        run.g_strRecord1[i] = text;
    }
    run.g_nRecordCount = 10000;

    const std::string path = folder + "/bench.xls";
    bool ok = true;
    const std::vector<double> whole = TimeRuns([&] {
        std::string error;
        if (!ExportSpreadsheet(settings, run, specimen, path, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            ok = false;
        }
    });
    Print("ExportSpreadsheet, 10000 records", whole);
    std::printf("workbook size %ju bytes\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)));

    std::vector<TextCell> cells;
    for (std::uint16_t r = 0; r < 10006; ++r) {
        for (std::uint16_t c = 0; c < 3; ++c)
            cells.push_back(
                {r, c, u"012.345" + std::u16string(1, static_cast<char16_t>(u'0' + r % 10))});
    }
    const std::vector<double> build = TimeRuns([&] {
        std::string file;
        ok = BuildCompoundFile(BuildWorkbookStream(cells, u"Sheet1"), &file) && ok;
    });
    Print("stream and compound file only, 30018 cells", build);

    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}
