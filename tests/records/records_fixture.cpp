#include "records_fixture.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"

void RecordsTest::SetUp() {
    ASSERT_TRUE(workDir_.Enter());
    AnchorDataFolder();
    std::string error;
    ASSERT_TRUE(EnsureDataFolder(&error)) << error;
    settings.Parse();
}

std::string RecordsTest::ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void RecordsTest::WriteWhole(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> RecordsTest::DataFolderEntries() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DataFolderPath()))
        names.push_back(entry.path().filename().string());
    return names;
}

void RecordsTest::FillRecords(int count) {
    for (int i = 1; i <= count; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", i * 0.125);
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", i * 0.002);
        run.g_strRecord1[i] = text;
    }
    run.g_nRecordCount = count;
}

namespace {

std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            ++i;
            out += field[i] == 't' ? '\t' : field[i] == 'n' ? '\n' : field[i];
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace

XlrdSheet ReadWithXlrd(const std::string& path, int index) {
    XlrdSheet sheet;
    const std::string command = std::string("/usr/bin/python3 ") + READ_XLS_SCRIPT + " '" + path +
                                "' " + std::to_string(index);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return sheet;
    std::string output;
    char chunk[65536];
    std::size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
    int status = pclose(pipe);
    sheet.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::istringstream lines(output);
    std::getline(lines, sheet.summary);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = line.find('\t', start);
            cells.push_back(Unescape(line.substr(start, tab - start)));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        sheet.rows.push_back(cells);
    }
    return sheet;
}
