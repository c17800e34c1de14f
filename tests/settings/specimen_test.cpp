#include "settings/specimen.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/data_folder.h"

namespace {

class SpecimenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous_ = cwd;
        std::string pattern = ::testing::TempDir() + "specimen-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ASSERT_EQ(chdir(dir_.c_str()), 0);
        AnchorDataFolder();
        std::string error;
        ASSERT_TRUE(EnsureDataFolder(&error)) << error;
    }
    void TearDown() override {
        EXPECT_EQ(chdir(previous_.c_str()), 0);
        std::filesystem::remove_all(dir_);
    }
    static std::string FileText() {
        std::ifstream in(SpecimenFilePath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string previous_, dir_;
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
