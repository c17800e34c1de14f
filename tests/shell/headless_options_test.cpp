// velmora-headless's command line: the flags it takes and refuses, and the specimen a run
// is given from them, the simulator's rig and Specimen.ini.
#include "headless/headless_options.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

HeadlessOptions Parsed(const std::vector<std::string>& args) {
    HeadlessOptions options;
    EXPECT_EQ(ParseHeadlessOptions(args, &options), "");
    return options;
}

TEST(HeadlessOptions, FlagsAndValues) {
    EXPECT_TRUE(Parsed({"--help"}).help);
    EXPECT_TRUE(Parsed({"-h"}).help);
    EXPECT_TRUE(Parsed({"--version"}).version);
    const HeadlessOptions all =
        Parsed({"--area", "0.05", "--gauge-length", "100", "--name", "拉伸 A"});
    EXPECT_EQ(all.area, 0.05);
    EXPECT_EQ(all.gaugeLength, 100.0);
    EXPECT_EQ(all.testName, std::string("拉伸 A"));
    EXPECT_FALSE(all.help || all.version);
    EXPECT_NE(HeadlessUsage().find("--gauge-length"), std::string::npos);
}

// No choice without --lang (the saved one or the locale's then rules); the last --lang
// wins; any other language is refused.
TEST(HeadlessOptions, Language) {
    EXPECT_EQ(Parsed({}).language, std::nullopt);
    EXPECT_EQ(Parsed({"--lang", "en"}).language, UiLanguage::English);
    EXPECT_EQ(Parsed({"--lang", "en", "--lang", "zh"}).language, UiLanguage::Chinese);
    HeadlessOptions options;
    EXPECT_EQ(ParseHeadlessOptions({"--lang", "de"}, &options), "--lang takes en or zh: de");
    EXPECT_EQ(ParseHeadlessOptions({"--lang"}, &options), "--lang needs a value");
    EXPECT_NE(HeadlessUsage().find("--lang en|zh"), std::string::npos);
}

TEST(HeadlessOptions, RefusesWhatCannotBeASpecimen) {
    const std::vector<std::vector<std::string>> refused = {
        {"--bogus"},
        {"--area"},
        {"--area", "0"},
        {"--area", "-1"},
        {"--area", "nan"},
        {"--area", "5mm"},
        {"--name", ""},
        {"--area", "1", "--diameter", "1"},
        {"--diameter", "1", "--width", "1", "--thickness", "1"},
        {"--width", "10"},
        {"--thickness", "0.05"},
    };
    for (const auto& args : refused) {
        HeadlessOptions options;
        options.help = true;
        EXPECT_NE(ParseHeadlessOptions(args, &options), "") << args[0];
        EXPECT_TRUE(options.help) << "a refused line changes nothing";
    }
}

TEST(HeadlessOptions, CrossSectionFromTheDimensionsItComesFrom) {
    EXPECT_NEAR(*SpecimenOfOptions(Parsed({"--diameter", "0.25"})).area, 0.0490873852, 1e-9);
    EXPECT_DOUBLE_EQ(*SpecimenOfOptions(Parsed({"--width", "10", "--thickness", "0.05"})).area,
                     0.5);
    EXPECT_FALSE(SpecimenOfOptions(Parsed({})).area);
}

// The command line wins, then the rig's own specimen, then the file.
TEST(HeadlessOptions, SpecimenOfTheRunTakesEachDimensionFromTheFirstThatGivesIt) {
    const SpecimenDims rig = SpecimenOfSimulatorReply("ok area=0.05 gauge-length=100");
    EXPECT_EQ(rig.area, 0.05);
    EXPECT_EQ(rig.gaugeLength, 100.0);
    EXPECT_FALSE(SpecimenOfSimulatorReply("err unknown command: specimen").area);
    EXPECT_FALSE(SpecimenOfSimulatorReply("").gaugeLength);

    SpecimenDims file{7.0, 70.0};
    file.finalArea = 3.0;
    file.proofOffset = 0.1;
    file.carriedOver = true;
    SpecimenDims run = SpecimenForRun(Parsed({"--gauge-length", "80"}), rig, file);
    EXPECT_EQ(run.area, 0.05);
    EXPECT_EQ(run.gaugeLength, 80.0);
    EXPECT_EQ(run.proofOffset, 0.1);
    EXPECT_FALSE(run.carriedOver);
    EXPECT_FALSE(run.finalArea) << "measured after the test, not before";
    run = SpecimenForRun(Parsed({}), SpecimenDims{}, file);
    EXPECT_EQ(run.area, 7.0);
    EXPECT_EQ(run.gaugeLength, 70.0);

    EXPECT_TRUE(MissingDimensionLines(rig).empty());
    const SpecimenDims broken = SpecimenOfSimulatorReply(
        "ok area=0.05 gauge-length=100 final-area=0.03 "
        "final-gauge-length=113.4");
    MeasureBrokenSpecimen(run, broken);
    EXPECT_EQ(run.finalArea, 0.03);
    EXPECT_EQ(run.finalGaugeLength, 113.4);
    MeasureBrokenSpecimen(run, SpecimenDims{});
    EXPECT_EQ(run.finalArea, 0.03) << "a rig that says nothing changes nothing";
    const std::vector<std::string> lines = MissingDimensionLines(SpecimenDims{});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("--area"), std::string::npos);
    EXPECT_NE(lines[1].find("--gauge-length"), std::string::npos);
}

}  // namespace
