// The test file beside an archive: written with the save's start time and specimen, read
// back over today's when the archive is opened; an archive without one plays with no start
// time rather than the playback's.
#include "records/archive_ini.h"

#include <cstdio>

#include "records/archive.h"
#include "records/saved_test.h"
#include "records_fixture.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/specimen.h"

namespace {

class TestFileTest : public RecordsTest {};

TEST_F(TestFileTest, TextRoundTripsAndNamesSitBesideTheArchive) {
    SpecimenDims dims{12.5, 50.0};
    dims.finalArea = 6.0;
    dims.finalGaugeLength = 57.5;
    dims.proofOffset = 0.1;
    const std::string text = TestFileText("2025-03-07-14:05:09", "吴 Tolvane", dims);
    EXPECT_EQ(text,
              "[Test]\nStartTime=2025-03-07-14:05:09\nOperator=吴 Tolvane\n[Specimen]\nS0=12.5\n"
              "L0=50\nSu=6\nLu=57.5\nRp=0.1\n");
    std::string start, operatorName;
    SpecimenDims read;
    ASSERT_TRUE(ParseTestFileText(text, &start, &operatorName, &read));
    EXPECT_EQ(start, "2025-03-07-14:05:09");
    EXPECT_EQ(operatorName, "吴 Tolvane");
    EXPECT_EQ(read.area, dims.area);
    EXPECT_EQ(read.gaugeLength, dims.gaugeLength);
    EXPECT_EQ(read.finalArea, dims.finalArea);
    EXPECT_EQ(read.finalGaugeLength, dims.finalGaugeLength);
    EXPECT_EQ(read.proofOffset, 0.1);
    // CRLF line ends from an editor still read; a file of another kind does not. A file
    // written before operators were kept leaves the operator as it was.
    operatorName = "kept";
    ASSERT_TRUE(
        ParseTestFileText("[Test]\r\nStartTime=x\r\nS0=3\r\n", &start, &operatorName, &read));
    EXPECT_EQ(start, "x");
    EXPECT_EQ(operatorName, "kept");
    EXPECT_EQ(read.area, std::optional<double>(3));
    EXPECT_FALSE(read.finalGaugeLength);
    EXPECT_FALSE(ParseTestFileText("[Specimen]\nS0=3\n", &start, &operatorName, &read));

    EXPECT_EQ(TestFilePathOf("/a/b/t2025.dat"), "/a/b/t2025.ini");
    EXPECT_EQ(TestFilePathOf("/a.b/t"), "/a.b/t.ini");
}

TEST_F(TestFileTest, OpeningAnArchiveTakesItsOwnTest) {
    FillRecords(7);
    run.g_strStartTime = "2025-03-07-14:05:09";
    // The operator is the tester when the test ran, whatever the settings said at the save.
    run.g_strOperator = "Tolvane";
    settings.g_strTester = "Orrin";
    specimen = {12.5, 50.0};
    const std::string archive = DataFolderPath() + "t.dat";
    std::string error;
    ASSERT_TRUE(WriteArchive(settings, run, archive, &error)) << error;
    ASSERT_TRUE(WriteTestFile(run, specimen, TestFilePathOf(archive), &error)) << error;

    run.g_strStartTime = "2026-01-01-00:00:00";
    run.g_strOperator = "someone else";
    specimen = {99.0, 99.0};
    std::string name;
    ASSERT_TRUE(ReadArchive(settings, run, archive, &name, &error)) << error;
    TakeArchivedTest(run, specimen, archive);
    EXPECT_TRUE(run.g_playedArchive.open);
    EXPECT_TRUE(run.g_playedArchive.hasTestFile);
    EXPECT_EQ(run.g_playedArchive.records, 7);
    EXPECT_EQ(run.g_strStartTime, "2025-03-07-14:05:09");
    EXPECT_EQ(run.g_strOperator, "Tolvane");
    EXPECT_EQ(specimen.area, std::optional<double>(12.5));
    EXPECT_EQ(specimen.gaugeLength, std::optional<double>(50.0));

    std::remove(TestFilePathOf(archive).c_str());
    run.g_strStartTime = "2026-01-01-00:00:00";
    TakeArchivedTest(run, specimen, archive);
    EXPECT_FALSE(run.g_playedArchive.hasTestFile);
    EXPECT_EQ(run.g_strStartTime, "");
    EXPECT_EQ(specimen.area, std::optional<double>(12.5)) << "today's specimen stays";
}

// A test of a series carries its series, number and exclusion through the test file, and a
// saved test read back on its own gives what playing it back gives.
TEST_F(TestFileTest, SeriesMembershipTravelsWithTheSavedTest) {
    const SeriesMember member{"钢丝 B", 3, "断于标距外\n夹持处"};
    EXPECT_EQ(SpecimenIdOf(member), "钢丝 B-03");
    EXPECT_EQ(SpecimenIdOf(SeriesMember{}), "");
    const std::string text = TestFileText("t0", "Tolvane", SpecimenDims{}, member);
    EXPECT_NE(text.find("Series=钢丝 B\nSpecimenNo=3\nExcluded=断于标距外 夹持处\n"),
              std::string::npos);
    EXPECT_EQ(TestFileText("t0", "Tolvane", SpecimenDims{}),
              "[Test]\nStartTime=t0\nOperator=Tolvane\n[Specimen]\nS0=\nL0=\n")
        << "a lone test's file is as before";
    std::string start, operatorName;
    SpecimenDims dims;
    SeriesMember read{"stale", 9, "x"};
    ASSERT_TRUE(ParseTestFileText(text, &start, &operatorName, &dims, &read));
    EXPECT_EQ(read.series, "钢丝 B");
    EXPECT_EQ(read.number, 3);
    EXPECT_EQ(read.excludedReason, "断于标距外 夹持处");
    ASSERT_TRUE(
        ParseTestFileText("[Test]\nSeries=B\nSpecimenNo=x\n", &start, &operatorName, &dims, &read));
    EXPECT_EQ(read.series, "") << "no place in the series: a lone test";

    FillRecords(40);
    run.g_strStartTime = "2025-03-07-14:05:09";
    run.g_strOperator = "Tolvane";
    run.g_seriesMember = {"B", 2, ""};
    specimen = {0.05, 50.0};
    const std::string archive = DataFolderPath() + "s.dat";
    std::string error;
    ASSERT_TRUE(WriteArchive(settings, run, archive, &error)) << error;
    ASSERT_TRUE(WriteTestFile(run, specimen, TestFilePathOf(archive), &error)) << error;

    SavedTest saved;
    ASSERT_TRUE(LoadSavedTest(archive, SpecimenDims{}, &saved, &error)) << error;
    EXPECT_TRUE(saved.hasTestFile);
    EXPECT_EQ(saved.member.series, "B");
    EXPECT_EQ(saved.member.number, 2);
    EXPECT_EQ(saved.operatorName, "Tolvane");
    EXPECT_EQ(saved.set.startTime, "2025-03-07-14:05:09");
    EXPECT_EQ(saved.set.specimen.area, std::optional<double>(0.05));

    std::string name;
    ASSERT_TRUE(ReadArchive(settings, run, archive, &name, &error)) << error;
    TakeArchivedTest(run, specimen, archive);
    const ResultSet played = ResultsOfCurrentTest(settings, run, specimen);
    ASSERT_EQ(saved.set.rows.size(), played.rows.size());
    for (std::size_t i = 0; i < played.rows.size(); ++i)
        EXPECT_EQ(saved.set.rows[i].value, played.rows[i].value) << played.rows[i].name;
    EXPECT_EQ(saved.set.curve.force, played.curve.force);

    EXPECT_FALSE(LoadSavedTest(DataFolderPath() + "none.dat", SpecimenDims{}, &saved, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
