// The archive reader with what follows it in the program: any bytes as a stored test, read,
// its settings parsed, played back record by record, and exported as a workbook.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "run/run_state.h"
#include "records/archive.h"
#include "records/workbook.h"
#include "scratch_archive.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string archive = WriteScratchArchive(data, size);

    Settings settings;
    const auto runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    const SpecimenDims specimen;
    std::string name;
    std::string error;
    if (!ReadArchive(settings, run, archive, &name, &error)) return 0;
    settings.Parse();
    run.g_nRecordCount = 0;
    while (run.g_nRecordCount < run.g_nRecordCapacity) {
        ++run.g_nRecordCount;
        if (PlaybackStep(settings, run, run.g_nRecordCount)) {
            --run.g_nRecordCount;
            break;
        }
    }
    ExportSpreadsheet(settings, run, specimen, ScratchFolder() + "/test.xls", &error);
    return 0;
}
