#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "../common/scratch_folder.h"
#include "acquisition/card_access.h"
#include "acquisition/input_range.h"
#include "acquisition/output_ledger.h"
#include "acquisition/safety.h"
#include "acquisition_fixture.h"
#include "fake_card_driver.h"
#include "settings/extensometer_settings.h"

namespace {

class CardConfigTest : public AcquisitionTest {
  protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        daq.g_hDevice = card.Handle();
    }

    // Every read: the start marker, then channels 0 and 1 in turn with the given codes.
    void StreamCodes(std::uint16_t code0, std::uint16_t code1) {
        card.SetStream([=](std::uint32_t* words, std::size_t count) {
            words[0] = kStartMarker;
            for (std::size_t i = 1; i < count; ++i) {
                words[i] = i % 2 ? SampleWord(0, code0) : SampleWord(1, code1);
            }
        });
    }

    FakeCardDriver card;
    // Each case starts from a new card; it ends any capture the case left running.
    Card daq;
};

void ExpectReadRecord(const AdScanRequest& request, WORD rangeCode, LONG bipolar) {
    const AdScanConfig& c = request.Config;
    EXPECT_EQ(c.ChannelCount, 2);
    EXPECT_EQ(c.ChannelList[0], 0);
    EXPECT_EQ(c.ChannelList[1], 1);
    EXPECT_EQ(c.RangeCode[0], rangeCode);
    EXPECT_EQ(c.RangeCode[1], rangeCode);
    EXPECT_EQ(c.Bipolar, bipolar);
    EXPECT_EQ(c.Reg4Value, 0);
    EXPECT_EQ(c.Reg7Mode, 0);
    EXPECT_EQ(c.Reg7Bit2, 1);
    EXPECT_EQ(c.Reg7Bit3, 0);
    EXPECT_EQ(c.Reg10Value, 0);
    EXPECT_EQ(c.RangeCode[2], 0);
    EXPECT_EQ(c.ChannelList[2], 0);
}

TEST(InputTypeRange, TheFourRangeTexts) {
    const struct {
        const char* text;
        WORD rangeCode;
        LONG bipolar;
    } rows[] = {{"0~+5V", 5, 0}, {"0~+10V", 4, 0}, {"-5V~+5V", 1, 1}, {"-10V~+10V", 0, 1}};
    for (const auto& row : rows) {
        WORD rangeCode = 7;
        LONG bipolar = 7;
        EXPECT_TRUE(InputTypeRange(row.text, &rangeCode, &bipolar));
        EXPECT_EQ(rangeCode, row.rangeCode) << row.text;
        EXPECT_EQ(bipolar, row.bipolar) << row.text;
    }
    WORD rangeCode = 7;
    LONG bipolar = 7;
    EXPECT_FALSE(InputTypeRange("-5V~+5V ", &rangeCode, &bipolar));
    EXPECT_FALSE(InputTypeRange("", &rangeCode, &bipolar));
    EXPECT_EQ(rangeCode, 7);
    EXPECT_EQ(bipolar, 7);
}

TEST_F(CardConfigTest, DefaultInputTypeResetsTheCardAndFillsBothRecords) {
    daq.ConfigureCard(settings);
    ExpectReadRecord(daq.g_maiVoltParam, 1, 1);
    ExpectReadRecord(daq.g_maiBinParam, 1, 1);
    EXPECT_EQ(daq.g_maiVoltParam.Results, static_cast<void*>(daq.g_dVoltBuf));
    EXPECT_NE(daq.g_maiBinParam.Results, nullptr);
    EXPECT_NE(daq.g_maiBinParam.Results, daq.g_maiVoltParam.Results);
    const std::vector<FakeCardDriver::RegisterWrite> reset = {{1, 1}, {1, 0}};
    EXPECT_EQ(card.Writes(), reset);  // no scan is started
}

TEST_F(CardConfigTest, UnknownInputTypeKeepsTheStartUpRange) {
    settings.g_strInputType = "+-5V";
    daq.ConfigureCard(settings);
    ExpectReadRecord(daq.g_maiVoltParam, 0, 0);
    ExpectReadRecord(daq.g_maiBinParam, 0, 0);
}

TEST_F(CardConfigTest, ReadChannelsDeliversBothVoltages) {
    daq.ConfigureCard(settings);
    StreamCodes(45875, 19661);
    ChannelVoltages ch;
    ASSERT_TRUE(daq.ReadChannels(ch));
    EXPECT_EQ(daq.g_nLastError, 0);
    EXPECT_DOUBLE_EQ(ch.rawVolt[0], 45875 * 10.0 / 65536 - 5);
    EXPECT_DOUBLE_EQ(ch.rawVolt[1], 19661 * 10.0 / 65536 - 5);
    EXPECT_DOUBLE_EQ(daq.g_dVoltBuf[0], ch.rawVolt[0]);
}

// On, the extensometer's channel is the scan's third on the ±5 V range of a bipolar card (a
// unipolar card reads it on 0..+5 V); off, the scan and every register write are those of
// a card without it.
TEST_F(CardConfigTest, ExtensometerOnListsItsChannelThirdAndOffChangesNothing) {
    ExtensometerSettings extensometer;
    extensometer.channel = 31;
    daq.ConfigureCard(settings);
    const auto plain = card.Writes();
    card.ClearWrites();
    daq.ConfigureCard(settings, &extensometer);
    EXPECT_EQ(card.Writes(), plain);
    ExpectReadRecord(daq.g_maiVoltParam, 1, 1);
    ExpectReadRecord(daq.g_maiBinParam, 1, 1);
    EXPECT_FALSE(daq.ExtensometerScanned());

    extensometer.enabled = true;
    settings.g_strInputType = "-10V~+10V";
    daq.ConfigureCard(settings, &extensometer);
    for (const AdScanRequest* request : {&daq.g_maiVoltParam, &daq.g_maiBinParam}) {
        const AdScanConfig& c = request->Config;
        EXPECT_EQ(c.ChannelCount, 3);
        EXPECT_EQ(c.ChannelList[0], 0);
        EXPECT_EQ(c.ChannelList[1], 1);
        EXPECT_EQ(c.ChannelList[2], 31);
        EXPECT_EQ(c.RangeCode[0], 0);
        EXPECT_EQ(c.RangeCode[1], 0);
        EXPECT_EQ(c.RangeCode[31], 1);
        EXPECT_EQ(c.RangeCode[2], 0);
    }
    EXPECT_TRUE(daq.ExtensometerScanned());
    settings.g_strInputType = "0~+10V";
    daq.ConfigureCard(settings, &extensometer);
    EXPECT_EQ(daq.g_maiVoltParam.Config.RangeCode[31], 5);
    EXPECT_EQ(daq.g_maiVoltParam.Config.Bipolar, 0);

    // Settings that slipped past the checks are not sent to the card.
    extensometer.channel = 40;
    daq.ConfigureCard(settings, &extensometer);
    EXPECT_FALSE(daq.ExtensometerScanned());
}

TEST_F(CardConfigTest, ThreeChannelScanDeliversTheExtensometerVoltage) {
    ExtensometerSettings extensometer;
    extensometer.enabled = true;
    extensometer.channel = 5;
    daq.ConfigureCard(settings, &extensometer);
    card.SetStream([](std::uint32_t* words, std::size_t count) {
        words[0] = kStartMarker;
        const int channels[] = {0, 1, 5};
        const std::uint16_t codes[] = {45875, 19661, 39322};
        for (std::size_t i = 1; i < count; ++i)
            words[i] = SampleWord(channels[(i - 1) % 3], codes[(i - 1) % 3]);
    });
    ChannelVoltages ch;
    ASSERT_TRUE(daq.ReadChannels(ch));
    EXPECT_DOUBLE_EQ(ch.rawVolt[0], 45875 * 10.0 / 65536 - 5);
    EXPECT_DOUBLE_EQ(ch.rawVolt[1], 19661 * 10.0 / 65536 - 5);
    EXPECT_DOUBLE_EQ(ch.rawExt, 39322 * 10.0 / 65536 - 5);

    // A stream without the channel is a failed read, which leaves the voltages alone.
    StreamCodes(100, 200);
    ChannelVoltages untouched;
    EXPECT_FALSE(daq.ReadChannels(untouched));
    EXPECT_EQ(untouched.rawExt, 0);
}

TEST_F(CardConfigTest, HighSpeedModeProgramsTheCaptureInstead) {
    daq.g_bHighSpeed = 1;
    settings.g_strInputType = "0~+10V";
    daq.ConfigureCard(settings);
    EXPECT_EQ(daq.highSpeed.g_aiConfig.RangeCode[0], 4);
    EXPECT_EQ(daq.highSpeed.g_aiConfig.Bipolar, 0);
    EXPECT_EQ(daq.highSpeed.g_aiConfig.Reg7Mode, 1);
    EXPECT_EQ(daq.highSpeed.g_aiConfig.Reg7Bit2, 0);
    EXPECT_EQ(daq.highSpeed.g_aiConfig.Reg7Bit3, 0);
    EXPECT_EQ(daq.highSpeed.g_aiConfig.ChannelCount, 1);
    EXPECT_EQ(daq.highSpeed.g_aiConfig.ChannelList[0], 0);
    EXPECT_EQ(daq.g_maiVoltParam.Config.ChannelCount, 0);  // the read records stay unfilled
    daq.highSpeed.StopHighSpeedCapture();

    // Reset, stop, FIFO clear, reset, the scan configuration, then the start.
    const auto writes = card.Writes();
    const std::vector<FakeCardDriver::RegisterWrite> head = {{1, 1}, {1, 0}, {9, 0}, {2, 1},
                                                             {2, 0}, {1, 1}, {1, 0}, {10, 0}};
    ASSERT_GT(writes.size(), head.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), writes.begin()));
    const auto range0 =
        std::find(writes.begin(), writes.end(), FakeCardDriver::RegisterWrite{21, 4});
    const auto start = std::find(writes.begin(), writes.end(), FakeCardDriver::RegisterWrite{9, 1});
    EXPECT_LT(range0, start);
    EXPECT_NE(std::find(writes.begin(), start, FakeCardDriver::RegisterWrite{85, 1}), start);
}

// A card the program lets go of with lines active has them released, and the ledger says so;
// a card that was never opened is not written to.
TEST_F(CardConfigTest, CardLetGoOfReleasesTheRigLines) {
    const ScratchFolder folder("velmora-release");
    ASSERT_TRUE(folder.Made());
    setenv("DQX7460_DRIVER_DIR", folder.Path().c_str(), 1);
    {
        Card owned;
        owned.g_hDevice = card.Handle();
        ASSERT_TRUE(owned.WriteOutputs(0x00F8));
        EXPECT_EQ(owned.LedgerOutputWord(), WORD{0x00F8});
        card.ClearWrites();
    }
    EXPECT_EQ(card.Writes(), (std::vector<FakeCardDriver::RegisterWrite>{{128, kIdleOutputWord}}));
    EXPECT_EQ(OutputLedger().LedgerOutputWord(), WORD{kIdleOutputWord});
    card.ClearWrites();
    { Card unopened; }
    EXPECT_TRUE(card.Writes().empty());
    unsetenv("DQX7460_DRIVER_DIR");
}

// A card made before its folder is set, as a test fixture's card is, keeps its ledger in
// the folder its first write finds.
TEST_F(CardConfigTest, LedgerIsInTheFolderOfTheFirstWrite) {
    char folder[] = "/tmp/velmora-early-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    {
        Card early;
        early.g_hDevice = card.Handle();
        setenv("DQX7460_DRIVER_DIR", folder, 1);
        ASSERT_TRUE(early.WriteOutputs(0x00FE));
        EXPECT_EQ(OutputLedger().LedgerOutputWord(), WORD{0x00FE});
    }
    unsetenv("DQX7460_DRIVER_DIR");
    std::filesystem::remove_all(folder);
}

}  // namespace
