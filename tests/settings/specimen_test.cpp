#include "settings/specimen.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../common/scratch_folder.h"
#include "settings/data_folder.h"

namespace {

class SpecimenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.Enter());
        AnchorDataFolder();
        std::string error;
        ASSERT_TRUE(EnsureDataFolder(&error)) << error;
    }
    static std::string FileText() {
        std::ifstream in(SpecimenFilePath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    ScratchFolder dir_{"specimen"};
    SpecimenDims specimen;
};

TEST_F(SpecimenTest, TypedDimensionsAreEmptyOrPositiveFiniteNumbers) {
    const struct {
        const char* text;
        bool ok;
        std::optional<double> value;
    } cases[] = {{"", true, std::nullopt}, {"  ", true, std::nullopt}, {"12.5", true, 12.5},
                 {" 50 ", true, 50.0},     {"1e-3", true, 0.001},      {"0", false, {}},
                 {"-1", false, {}},        {"abc", false, {}},         {"1,5", false, {}},
                 {"inf", false, {}},       {"nan", false, {}},         {"1e400", false, {}}};
    for (const auto& c : cases) {
        std::optional<double> value = 99.0;
        const auto failure = CheckDimension("横截面积 S0", c.text, &value);
        EXPECT_EQ(!failure, c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        } else {
            EXPECT_NE(failure->find("横截面积 S0"), std::string::npos) << *failure;
            EXPECT_EQ(value, 99.0) << "a refused text leaves the value alone";
        }
    }
}

TEST_F(SpecimenTest, FileKeepsBothDimensionsOrTheirAbsence) {
    EXPECT_TRUE(LoadSpecimenFile(specimen));  // no file yet: nothing given
    EXPECT_FALSE(specimen.area || specimen.gaugeLength);

    specimen = {12.5, std::nullopt};
    std::string error;
    ASSERT_TRUE(WriteSpecimenFile(specimen, &error)) << error;
    EXPECT_EQ(FileText(), "[Specimen]\nS0=12.5\nL0=\n");
    specimen = {1.0, 2.0};
    ASSERT_TRUE(LoadSpecimenFile(specimen));
    EXPECT_EQ(specimen.area, 12.5);
    EXPECT_FALSE(specimen.gaugeLength);
    // The specimen lives beside the settings file, never in it.
    EXPECT_FALSE(std::filesystem::exists(SettingsFilePath()));

    // A hand-edited file: unusable values and unknown lines give "not given".
    const SpecimenDims edited = ParseSpecimenText("[Specimen]\r\nS0=-4\r\nL0=80\r\nX=1\nnoise");
    EXPECT_FALSE(edited.area);
    EXPECT_EQ(edited.gaugeLength, 80.0);
}

// Lu has a line of its own only when given, like Su; the file's S0 and L0 are the last
// specimen's, so they come in marked carried over.
TEST_F(SpecimenTest, FinalGaugeLengthHasALineOnlyWhenGiven) {
    specimen = {0.05, 100.0};
    EXPECT_EQ(SpecimenFileText(specimen), "[Specimen]\nS0=0.05\nL0=100\n");
    specimen.finalGaugeLength = 112.5;
    const std::string text = SpecimenFileText(specimen);
    EXPECT_EQ(text, "[Specimen]\nS0=0.05\nL0=100\nLu=112.5\n");
    EXPECT_EQ(ParseSpecimenText(text).finalGaugeLength, 112.5);
    EXPECT_FALSE(ParseSpecimenText("[Specimen]\nLu=0\n").finalGaugeLength);

    std::string error;
    ASSERT_TRUE(WriteSpecimenFile(specimen, &error)) << error;
    SpecimenDims loaded;
    ASSERT_TRUE(LoadSpecimenFile(loaded));
    EXPECT_EQ(loaded.finalGaugeLength, 112.5);
    EXPECT_TRUE(loaded.carriedOver);
    EXPECT_EQ(CarriedOverNote(loaded), "S0、L0 沿用上一试样");
}

// The load train's compliance is set up once and carries from specimen to specimen.
TEST_F(SpecimenTest, ComplianceHasALineOnlyWhenGivenAndCarriesOver) {
    specimen = {0.05, 100.0};
    specimen.compliance = 0.04;
    const std::string text = SpecimenFileText(specimen);
    EXPECT_EQ(text, "[Specimen]\nS0=0.05\nL0=100\nC=0.04\n");
    EXPECT_EQ(ParseSpecimenText(text).compliance, 0.04);
    EXPECT_FALSE(ParseSpecimenText("[Specimen]\nC=-1\n").compliance);
    BeginNextSpecimen(specimen, false);
    EXPECT_EQ(specimen.compliance, 0.04);
}

// A new specimen's test keeps what was measured before the test and drops what was measured
// on the broken specimen; what was not entered for it is marked as carried over.
TEST_F(SpecimenTest, NextSpecimenDropsSuAndLuAndMarksWhatItCarries) {
    specimen = {0.05, 100.0};
    specimen.finalArea = 0.03;
    specimen.finalGaugeLength = 112.5;
    specimen.proofOffset = 0.1;
    EXPECT_TRUE(BeginNextSpecimen(specimen, false));
    EXPECT_FALSE(specimen.finalArea);
    EXPECT_FALSE(specimen.finalGaugeLength);
    EXPECT_EQ(specimen.area, 0.05);
    EXPECT_EQ(specimen.gaugeLength, 100.0);
    EXPECT_EQ(specimen.proofOffset, 0.1);
    EXPECT_TRUE(specimen.carriedOver);
    // Nothing measured after the break: the file need not change.
    EXPECT_FALSE(BeginNextSpecimen(specimen, true));
    EXPECT_FALSE(specimen.carriedOver) << "entered for this specimen";
    EXPECT_EQ(CarriedOverNote(specimen), "");

    specimen = {std::nullopt, 50.0};
    BeginNextSpecimen(specimen, false);
    EXPECT_EQ(CarriedOverNote(specimen), "L0 沿用上一试样");
    specimen = {};
    BeginNextSpecimen(specimen, false);
    EXPECT_FALSE(specimen.carriedOver) << "nothing to carry";
}

// Start-up reads the file before the window shows: whatever stands at its name, the read
// ends at once and the dimensions are not given.
TEST_F(SpecimenTest, AFileThatIsNoSpecimenFileIsRefusedAtOnce) {
    const std::string path = SpecimenFilePath();
    auto refused = [&](const char* what) {
        specimen = {1.0, 2.0};
        EXPECT_FALSE(LoadSpecimenFile(specimen)) << what;
        EXPECT_FALSE(specimen.area || specimen.gaugeLength) << what;
        std::filesystem::remove(path);
    };
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    refused("a FIFO");
    std::filesystem::create_symlink("/dev/zero", path);
    refused("a link to /dev/zero");
    { std::ofstream(path) << "[Specimen]\nS0=5\n"; }
    std::filesystem::resize_file(path, 300u << 20);
    refused("a 300 MB file");
}

}  // namespace
