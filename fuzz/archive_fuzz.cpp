// The archive reader with what follows it in the program: any bytes as a stored test, read,
// its settings parsed, played back record by record, and exported as a workbook.

#include <cstddef>
#include <cstdint>
#include <string>

#include "acquisition/run_state.h"
#include "records/archive.h"
#include "records/workbook.h"
#include "scratch_archive.h"
#include "settings/settings_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string archive = WriteScratchArchive(data, size);

    SetDefaultSettings();
    std::string name;
    std::string error;
    if (!ReadArchive(archive, &name, &error)) return 0;
    ParseSettings();
    g_nRecordCount = 0;
    while (g_nRecordCount < g_nRecordCapacity) {
        ++g_nRecordCount;
        if (PlaybackStep(g_nRecordCount)) {
            --g_nRecordCount;
            break;
        }
    }
    ExportSpreadsheet(ScratchFolder() + "/test.xls", &error);
    return 0;
}
