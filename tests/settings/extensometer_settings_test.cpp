#include "settings/extensometer_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../common/scratch_folder.h"
#include "settings/data_folder.h"

namespace {

class ExtensometerSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.Enter());
        AnchorDataFolder();
        std::string error;
        ASSERT_TRUE(EnsureDataFolder(&error)) << error;
    }
    static void WriteText(const std::string& text) {
        std::ofstream(ExtensometerFilePath(), std::ios::binary) << text;
    }
    // The names in the data folder that begin with the file's own.
    static std::vector<std::string> Aside() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(DataFolderPath())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Extensometer.ini.refused-", 0) == 0) names.push_back(name);
        }
        return names;
    }

    ScratchFolder dir_{"extensometer"};
};

ExtensometerSettings Configured() {
    ExtensometerSettings s;
    s.enabled = true;
    s.channel = 7;
    s.gaugeLength = 25.4;
    s.unit = "%";
    s.coefficient = -0.125;
    s.zero = 0.0123;
    s.removal = ExtensometerRemoval::AfterPeak;
    s.removalStrain = 2.5;
    s.removalForcePercent = 80;
    s.holdAtRemoval = false;
    return s;
}

void ExpectSame(const ExtensometerSettings& a, const ExtensometerSettings& b) {
    EXPECT_EQ(a.enabled, b.enabled);
    EXPECT_EQ(a.channel, b.channel);
    EXPECT_EQ(a.gaugeLength, b.gaugeLength);
    EXPECT_EQ(a.unit, b.unit);
    EXPECT_EQ(a.coefficient, b.coefficient);
    EXPECT_EQ(a.zero, b.zero);
    EXPECT_EQ(a.removal, b.removal);
    EXPECT_EQ(a.removalStrain, b.removalStrain);
    EXPECT_EQ(a.removalForcePercent, b.removalForcePercent);
    EXPECT_EQ(a.holdAtRemoval, b.holdAtRemoval);
}

// The text with one line replaced (or dropped when `line` is empty).
std::string Replaced(const std::string& text, const std::string& key, const std::string& line) {
    std::istringstream in(text);
    std::string out;
    std::string each;
    while (std::getline(in, each)) {
        if (each.rfind(key + "=", 0) == 0) {
            if (!line.empty()) out += line + "\n";
        } else {
            out += each + "\n";
        }
    }
    return out;
}

TEST_F(ExtensometerSettingsTest, FileKeepsEveryFieldAndAMissingFileIsOff) {
    ExtensometerSettings loaded = Configured();
    std::string error;
    EXPECT_TRUE(LoadExtensometerFile(loaded, &error)) << error;
    ExpectSame(loaded, ExtensometerSettings{});
    EXPECT_FALSE(loaded.enabled);

    for (const ExtensometerRemoval removal :
         {ExtensometerRemoval::None, ExtensometerRemoval::AtStrain,
          ExtensometerRemoval::AfterPeak}) {
        ExtensometerSettings written = Configured();
        written.removal = removal;
        ASSERT_TRUE(WriteExtensometerFile(written, &error)) << error;
        ASSERT_TRUE(LoadExtensometerFile(loaded, &error)) << error;
        ExpectSame(loaded, written);
    }
    EXPECT_TRUE(Aside().empty());
    // Blank lines, CRLF line ends and blanks around the equals sign are read as written.
    std::string text = ExtensometerFileText(Configured());
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const auto parsed = ParseExtensometerText("\n" + Replaced(crlf, "unit", "unit = %"), &error);
    ASSERT_TRUE(parsed) << error;
    ExpectSame(*parsed, Configured());
}

TEST_F(ExtensometerSettingsTest, EachUnusableValueIsRefusedNamingIt) {
    const std::string good = ExtensometerFileText(Configured());
    const struct {
        std::string text;
        const char* named;
    } cases[] = {
        {Replaced(good, "channel", "channel=1"), "channel"},
        {Replaced(good, "channel", "channel=32"), "channel"},
        {Replaced(good, "channel", "channel=2.5"), "channel"},
        {Replaced(good, "gaugeLength", "gaugeLength=0"), "gaugeLength"},
        {Replaced(good, "gaugeLength", "gaugeLength=-50"), "gaugeLength"},
        {Replaced(good, "gaugeLength", "gaugeLength=inf"), "gaugeLength"},
        {Replaced(good, "unit", "unit=cm"), "unit"},
        {Replaced(good, "coefficient", "coefficient=0"), "coefficient"},
        {Replaced(good, "coefficient", "coefficient=abc"), "coefficient"},
        {Replaced(good, "zero", "zero=nan"), "zero"},
        {Replaced(good, "removalForcePercent", "removalForcePercent=0"), "removalForcePercent"},
        {Replaced(good, "removalForcePercent", "removalForcePercent=100"), "removalForcePercent"},
        {Replaced(Replaced(good, "removal", "removal=strain"), "removalStrain", "removalStrain=0"),
         "removalStrain"},
        {Replaced(good, "removalStrain", "removalStrain=-1"), "removalStrain"},
        {Replaced(good, "removal", "removal=later"), "removal"},
        {Replaced(good, "enabled", "enabled=yes"), "enabled"},
        {Replaced(good, "holdAtRemoval", ""), "holdAtRemoval"},
        {good + "colour=blue\n", "colour"},
        {good + "zero=0\n", "zero"},
        {good.substr(good.find('\n') + 1), "[Extensometer]"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseExtensometerText(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.named), std::string::npos) << c.named << ": " << error;
    }
    // The point the removal does not use may be 0; the one it uses may not.
    ExtensometerSettings unused = Configured();
    unused.removal = ExtensometerRemoval::None;
    unused.removalStrain = unused.removalForcePercent = 0;
    EXPECT_FALSE(FindExtensometerFailure(unused));
    unused.removal = ExtensometerRemoval::AtStrain;
    EXPECT_EQ(FindExtensometerFailure(unused), ExtensometerField::RemovalStrain);
}

TEST_F(ExtensometerSettingsTest, RefusedFileIsPutAsideAndTheExtensometerIsOff) {
    const std::string refused =
        Replaced(ExtensometerFileText(Configured()), "gaugeLength", "gaugeLength=0");
    WriteText(refused);
    ExtensometerSettings loaded = Configured();
    std::string error;
    EXPECT_FALSE(LoadExtensometerFile(loaded, &error));
    ExpectSame(loaded, ExtensometerSettings{});
    const std::vector<std::string> aside = Aside();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(error.find("gaugeLength"), std::string::npos) << error;
    EXPECT_NE(error.find(aside[0]), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(ExtensometerFilePath()));
    std::ifstream in(DataFolderPath() + aside[0], std::ios::binary);
    std::ostringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), refused);

    // The next start finds no file: off, without a word.
    EXPECT_TRUE(LoadExtensometerFile(loaded, &error));
    // A second refusal in the same second takes the next free name.
    WriteText("garbage");
    EXPECT_FALSE(LoadExtensometerFile(loaded, &error));
    WriteText("garbage");
    EXPECT_FALSE(LoadExtensometerFile(loaded, &error));
    EXPECT_GE(Aside().size(), 3u);
}

TEST(ExtensionMillimetres, StrainIsTakenOverTheGaugeLength) {
    ExtensometerSettings s;
    s.gaugeLength = 50;
    EXPECT_DOUBLE_EQ(ExtensionMillimetres(s, 1.5), 1.5);
    s.unit = "%";
    EXPECT_DOUBLE_EQ(ExtensionMillimetres(s, 2.0), 1.0);
}

}  // namespace
