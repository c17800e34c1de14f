// The archive reader with what follows it in the program: any bytes as a stored test, read,
// its settings parsed, played back record by record, and exported as a workbook.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "acquisition/run_state.h"
#include "records/archive.h"
#include "records/workbook.h"
#include "settings/settings_record.h"

namespace {

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/velmora-archive-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        return std::string(pattern);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string archive = ScratchFolder() + "/test.dat";
    std::FILE* file = std::fopen(archive.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

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
