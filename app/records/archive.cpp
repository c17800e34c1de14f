#include "records/archive.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <sstream>

#include "common/atomic_file.h"
#include "common/free_name.h"
#include "common/gbk_text.h"
#include "common/number_text.h"
#include "common/ui_text.h"
#include "records/records_csv.h"
#include "run/readouts.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"

namespace {

constexpr std::size_t kTextBlockBytes = 10;
constexpr int kStoredSlots = 10002;   // record slots 0..10001
constexpr int kStoredReadouts = 502;  // readout slots 0..501
constexpr std::streamoff kSettingsOffset = 256;
constexpr std::streamoff kReadoutsOffset = kSettingsOffset + kSettingsBytes;

// The longest suffix a file name gets: the temporary name of an atomic write.
constexpr std::size_t kLongestSuffix = sizeof(".dat.XXXXXX") - 1;

void SetError(std::string* errorUtf8, const std::string& message) {
    if (errorUtf8 != nullptr) *errorUtf8 = message;
}

// The name is followed by the time stamp, so "." and ".." cannot leave the folder; they
// are still refused because they were never meant as names. A name whose bytes are not
// GBK text would be stored under a different name than the one on disk.
bool UsableInFileName(const std::string& nameGbk, const std::string& nameUtf8) {
    if (nameGbk == "." || nameGbk == "..") return false;
    if (nameGbk.find('\0') != std::string::npos) return false;
    if (nameUtf8.find('/') != std::string::npos) return false;
    return Utf8ToGbk(nameUtf8) == nameGbk;
}

// A block the data does not hold completely reads as an empty text.
std::string NextBlock(std::istream& in, std::size_t width) {
    std::string text;
    if (!ReadTextBlock(in, width, &text)) text.clear();
    return text;
}

// The text of a block in an archive's bytes: up to its first zero byte.
std::string StoredText(const std::string& archive, std::size_t at, std::size_t width) {
    const std::string block = archive.substr(at, width);
    return block.substr(0, block.find('\0'));
}

// The text of one field of the settings record as the bytes of an archive hold it.
std::string StoredField(Settings& settings, const std::string& archive, const std::string* field) {
    std::size_t at = static_cast<std::size_t>(kSettingsOffset);
    for (const SettingsField& f : settings.Fields()) {
        if (f.text == field) return StoredText(archive, at, f.width);
        at += f.width;
    }
    return std::string();
}

// How far a reading of the channel can go: the conditioning chain scales the input's
// swing (twice the range when zeroed at one end) by the span and the coefficient, then
// takes off the zero preset. The margin covers every input type with room to spare; a
// reading far beyond it was never recorded by the program.
double ChannelReach(Settings& settings, const std::string& archive, const std::string& high,
                    const std::string& low, const std::string& coef,
                    const std::string& zeroPreset) {
    constexpr double kMargin = 100;
    const double fullScale =
        std::max(std::fabs(DecimalValue(StoredField(settings, archive, &high))),
                 std::fabs(DecimalValue(StoredField(settings, archive, &low))));
    const double factor = std::fabs(DecimalValue(StoredField(settings, archive, &coef)));
    const double preset = std::fabs(DecimalValue(StoredField(settings, archive, &zeroPreset)));
    return kMargin * (std::max(fullScale, 1.0) * std::max(factor, 1.0) + preset);
}

// Every played record (up to the first empty channel 0 text) must be a reading the
// channel could give; a record text holds at most ten characters, so no fixed-point record
// reaches 1e10 whatever the settings say.
bool RecordsWithinReach(Settings& settings, const std::string& archive) {
    constexpr double kRecordTextLimit = 1e10;
    const double reach0 =
        std::min(kRecordTextLimit,
                 ChannelReach(settings, archive, settings.g_strRangeHigh0, settings.g_strRangeLow0,
                              settings.g_strCoef0, settings.g_strZeroPreset0));
    const double reach1 =
        std::min(kRecordTextLimit,
                 ChannelReach(settings, archive, settings.g_strRangeHigh1, settings.g_strRangeLow1,
                              settings.g_strCoef1, settings.g_strZeroPreset1));
    auto within = [](const std::string& text, double reach) {
        const double value = LeadingNumber(text);
        return std::isfinite(value) && std::fabs(value) <= reach;
    };
    constexpr std::size_t kRecordsOffset =
        static_cast<std::size_t>(kReadoutsOffset) + 2 * kStoredReadouts * kTextBlockBytes;
    for (int i = 1; i < kStoredSlots; ++i) {
        const std::size_t at = kRecordsOffset + 2 * kTextBlockBytes * static_cast<std::size_t>(i);
        const std::string record0 = StoredText(archive, at, kTextBlockBytes);
        if (record0.empty()) break;
        if (!within(record0, reach0) ||
            !within(StoredText(archive, at + kTextBlockBytes, kTextBlockBytes), reach1)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ArchiveBasePath(const std::string& testNameGbk, std::time_t when, std::string* basePathUtf8,
                     std::string* errorUtf8, const std::string& tagUtf8) {
    const std::string nameUtf8 = GbkToUtf8(testNameGbk);
    if (!UsableInFileName(testNameGbk, nameUtf8)) {
        SetError(errorUtf8,
                 ui::Fill(ui::translate("RecordTexts", "试验名称不能用作文件名：%1"), {nameUtf8}));
        return false;
    }
    std::tm local{};
    char stamp[64] = "";
    if (localtime_r(&when, &local) == nullptr ||
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H-%M-%S", &local) == 0) {
        SetError(errorUtf8, ui::translate("RecordTexts", "无法取得当前时间"));
        return false;
    }
    const std::string leaf = nameUtf8 + stamp + tagUtf8;
    if (leaf.size() + kLongestSuffix > NAME_MAX) {
        SetError(
            errorUtf8,
            ui::Fill(ui::translate("RecordTexts", "试验名称过长，不能用作文件名：%1"), {nameUtf8}));
        return false;
    }
    const std::string base = DataFolderPath() + leaf;
    if (!FitsPathField(base + ".dat")) {
        SetError(errorUtf8,
                 ui::Fill(ui::translate("RecordTexts", "存档路径过长：%1"), {base + ".dat"}));
        return false;
    }
    *basePathUtf8 = base;
    return true;
}

std::string ReportPdfPath(const std::string& testNameGbk, const std::string& archivePathUtf8,
                          std::time_t now) {
    const std::size_t leaf = archivePathUtf8.rfind('/') + 1;
    const std::size_t dot = archivePathUtf8.rfind('.');
    if (!archivePathUtf8.empty() && dot != std::string::npos && dot > leaf)
        return DataFolderPath() + archivePathUtf8.substr(leaf, dot - leaf) + ".pdf";
    std::string base;
    std::string error;
    if (!ArchiveBasePath(testNameGbk, now, &base, &error)) return {};
    return base + ".pdf";
}

namespace {

// The archive's bytes for the given path, which its header stores.
std::string ArchiveBytes(const Settings& settings, const TestRun& run,
                         const std::string& pathUtf8) {
    std::ostringstream out;
    WriteTextBlock(out, Utf8ToGbk(pathUtf8), kPathFieldBytes);
    settings.Save(out);
    for (int i = 0; i < kStoredReadouts; ++i)
        WriteTextBlock(out, run.g_strReadout0[i], kTextBlockBytes);
    for (int i = 0; i < kStoredReadouts; ++i)
        WriteTextBlock(out, run.g_strReadout1[i], kTextBlockBytes);
    // Slots above the count may still hold a cleared, longer test; a reader takes the
    // first empty text as the end, so they are stored empty.
    const std::string empty;
    for (int i = 0; i < kStoredSlots; ++i) {
        const bool inTest = i <= run.g_nRecordCount;
        WriteTextBlock(out, inTest ? run.g_strRecord0[i] : empty, kTextBlockBytes);
        WriteTextBlock(out, inTest ? run.g_strRecord1[i] : empty, kTextBlockBytes);
    }
    return out.str();
}

bool FitsArchivePath(const std::string& pathUtf8, std::string* errorUtf8) {
    if (FitsPathField(pathUtf8)) return true;
    SetError(errorUtf8, ui::Fill(ui::translate("RecordTexts", "存档路径过长：%1"), {pathUtf8}));
    return false;
}

}  // namespace

bool WriteArchive(const Settings& settings, const TestRun& run, const std::string& pathUtf8,
                  std::string* errorUtf8) {
    return FitsArchivePath(pathUtf8, errorUtf8) &&
           WriteFileAtomically(pathUtf8, ArchiveBytes(settings, run, pathUtf8), errorUtf8);
}

bool WriteNewArchive(const Settings& settings, const TestRun& run, const std::string& basePathUtf8,
                     std::string* writtenBaseUtf8, std::string* errorUtf8) {
    std::string base;
    const NameAttempt outcome = WalkFreeNames(
        basePathUtf8,
        [&](const std::string& candidate) {
            const std::string path = candidate + ".dat";
            if (!FitsArchivePath(path, errorUtf8)) return NameAttempt::kFailed;
            bool existed = false;
            if (CreateFileAtomically(path, ArchiveBytes(settings, run, path), errorUtf8, &existed))
                return NameAttempt::kDone;
            return existed ? NameAttempt::kTaken : NameAttempt::kFailed;
        },
        &base);
    if (outcome == NameAttempt::kDone) {
        *writtenBaseUtf8 = base;
        return true;
    }
    if (outcome == NameAttempt::kTaken)
        SetError(errorUtf8, ui::Fill(ui::translate("RecordTexts", "存档名称均已被占用：%1"),
                                     {basePathUtf8 + ".dat"}));
    return false;
}

bool ReadArchive(Settings& settings, TestRun& run, const std::string& pathUtf8,
                 std::string* archiveNameGbk, std::string* errorUtf8) {
    std::string bytes;
    // One byte more than an archive holds tells a longer file from an archive.
    if (!ReadFilePrefix(pathUtf8, kArchiveBytes + 1, &bytes, errorUtf8)) return false;
    // Every archive has the same size; anything else (the settings file, a workbook, a
    // cut-off copy) would play as garbage.
    // Records beyond what the channels can read come from no test of the program.
    if (bytes.size() != kArchiveBytes || !RecordsWithinReach(settings, bytes)) {
        SetError(errorUtf8,
                 ui::Fill(ui::translate("RecordTexts", "不是测试存档文件：%1"), {pathUtf8}));
        return false;
    }
    std::istringstream in(bytes);
    *archiveNameGbk = NextBlock(in, kPathFieldBytes);
    in.clear();
    in.seekg(kSettingsOffset);
    settings.Load(in);
    in.clear();
    in.seekg(kReadoutsOffset);
    for (int i = 0; i < kStoredReadouts; ++i) run.g_strReadout0[i] = NextBlock(in, kTextBlockBytes);
    for (int i = 0; i < kStoredReadouts; ++i) run.g_strReadout1[i] = NextBlock(in, kTextBlockBytes);
    for (int i = 0; i < kStoredSlots; ++i) {
        run.g_strRecord0[i] = NextBlock(in, kTextBlockBytes);
        run.g_strRecord1[i] = NextBlock(in, kTextBlockBytes);
    }
    settings.Parse();
    // The playback runs at the period its timer can take; so do the times.
    run.FillRecordTimesFromPeriod(std::clamp(settings.g_nSamplePeriod, 1, 10000));
    // The test's own times, when its CSV file lies beside the archive.
    const std::size_t dot = pathUtf8.rfind('.');
    const std::size_t slash = pathUtf8.rfind('/');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    ReadRecordTimesCsv(run, (hasExtension ? pathUtf8.substr(0, dot) : pathUtf8) + ".csv");
    return true;
}

bool PlaybackStep(const Settings& settings, TestRun& run, int n) {
    if (n < 0 || n >= kRecordSlots || run.g_strRecord0[n].empty()) {
        run.g_bPlaybackEnded = 1;
        return true;
    }
    run.g_dValue0 = DecimalValue(run.g_strRecord0[n]);
    run.g_dValue1 = DecimalValue(run.g_strRecord1[n]);
    ShiftHistory(run.g_dHistory0);
    ShiftHistory(run.g_dHistory1);
    run.g_dHistory0[0] = run.g_dValue0;
    run.g_dHistory1[0] = run.g_dValue1;
    if (run.g_bTravelLimit == 0) {
        if (!(run.g_dHistory0[kPeakSlot] > run.g_dHistory0[0]))
            run.g_dHistory0[kPeakSlot] = run.g_dHistory0[0];
        if (!(run.g_dHistory1[kPeakSlot] > run.g_dHistory1[0]))
            run.g_dHistory1[kPeakSlot] = run.g_dHistory1[0];
    }
    if (run.g_dHistory0[0] == run.g_dHistory1[0]) {
        run.g_dRatio = 1.0;
    } else if (run.g_dHistory1[0] != 0) {
        run.g_dRatio = run.g_dHistory0[0] / run.g_dHistory1[0];
    }
    ShiftHistory(run.g_dRatioHistory);
    run.g_dRatioHistory[0] = run.g_dRatio;
    FormatReadouts(settings, run);
    if (run.g_bExtRecorded) run.g_dValueExt = run.ExtReadingOf(n);
    return false;
}
