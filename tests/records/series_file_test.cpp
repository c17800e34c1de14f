// The series file: what the operator gave when starting a series, read back as written.
#include "records/series_file.h"

#include <gtest/gtest.h>

#include "../common/scratch_folder.h"

namespace {

TEST(SeriesFile, WrittenAndReadBackWithItsNameChecked) {
    ScratchFolder folder("series");
    SeriesInfo info;
    info.name = "钢丝 B";
    info.material = "Q235";
    info.method = "GB/T 228.1 方法 B";
    info.operatorName = "Tolvane";
    info.planned = 6;
    info.notes = "第一行\r\n第二行";
    info.created = "2026-12-09-10:00:00";
    std::string error;
    ASSERT_TRUE(WriteSeriesFile(folder.Path() + "/", info, &error)) << error;
    SeriesInfo read;
    ASSERT_TRUE(ReadSeriesFile(SeriesFilePath(folder.Path() + "/", "钢丝 B"), &read, &error))
        << error;
    EXPECT_EQ(read.name, info.name);
    EXPECT_EQ(read.material, "Q235");
    EXPECT_EQ(read.method, info.method);
    EXPECT_EQ(read.operatorName, "Tolvane");
    EXPECT_EQ(read.planned, 6);
    EXPECT_EQ(read.notes, "第一行  第二行");
    EXPECT_EQ(read.created, info.created);

    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a\tb"}) {
        EXPECT_FALSE(SeriesNameProblem(bad).empty()) << bad;
        info.name = bad;
        EXPECT_FALSE(WriteSeriesFile(folder.Path() + "/", info, &error)) << bad;
    }
    EXPECT_FALSE(ParseSeriesFileText("[Test]\nName=x\n", &read));
    EXPECT_FALSE(ParseSeriesFileText("[Series]\nName=\n", &read));
}

}  // namespace
