#include "records/workbook.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/atomic_file.h"
#include "common/gbk_text.h"
#include "common/number_text.h"
#include "common/ui_text.h"
#include "records/biff8_writer.h"
#include "records/compound_file.h"
#include "results/result_texts.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t extra = 0;
        char32_t code = lead;
        bool valid = true;
        if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3;
            code = lead & 0x07;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            code = lead & 0x0F;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            extra = 1;
            code = lead & 0x1F;
        } else if (lead >= 0x80) {
            valid = false;
        }
        valid = valid && i + extra < utf8.size();
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid || code > 0x10FFFF) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += extra + 1;
    }
    return out;
}

namespace {

// Record texts are nearly always ASCII, which reads the same in GBK.
std::u16string GbkToUtf16(const std::string& gbk) {
    if (std::all_of(gbk.begin(), gbk.end(), [](char c) { return (c & 0x80) == 0; })) {
        return std::u16string(gbk.begin(), gbk.end());
    }
    return Utf8ToUtf16(GbkToUtf8(gbk));
}

// Rows and columns are counted from 1 and A here, as the sheet shows them. An empty text
// leaves the cell empty, as typing nothing into it would.
class SheetCells {
  public:
    void Put(int row, int col, std::u16string text) {
        if (text.empty()) return;
        cells_.push_back({static_cast<std::uint16_t>(row - 1), static_cast<std::uint16_t>(col - 1),
                          std::move(text)});
    }
    void PutGbk(int row, int col, const std::string& gbk) { Put(row, col, GbkToUtf16(gbk)); }
    void PutUtf8(int row, int col, const std::string& utf8) { Put(row, col, Utf8ToUtf16(utf8)); }
    // A value that cannot be computed leaves its cell empty.
    void PutNumber(int row, int col, const std::optional<double>& value) {
        if (value) {
            numbers_.push_back(
                {static_cast<std::uint16_t>(row - 1), static_cast<std::uint16_t>(col - 1), *value});
        }
    }
    std::vector<TextCell>& cells() { return cells_; }
    Worksheet Take(const std::u16string& name) {
        return {name, std::move(cells_), std::move(numbers_)};
    }

  private:
    std::vector<TextCell> cells_;
    std::vector<NumberCell> numbers_;
};

// The second sheet 结果: names in A, values in B (numbers at full precision), units in C;
// the notes below them.
Worksheet ResultsSheet(const ResultSet& set) {
    SheetCells sheet;
    sheet.Put(1, 1, u"试验名称");
    sheet.PutUtf8(1, 2, set.testName);
    sheet.Put(2, 1, u"启动时间");
    sheet.PutUtf8(2, 2, set.startTime);
    sheet.Put(3, 1, u"横截面积 S0");
    sheet.PutNumber(3, 2, set.specimen.area);
    sheet.Put(3, 3, u"mm²");
    sheet.Put(4, 1, u"标距 L0");
    sheet.PutNumber(4, 2, set.specimen.gaugeLength);
    sheet.Put(4, 3, u"mm");
    sheet.Put(5, 1, u"断后最小横截面积 Su");
    sheet.PutNumber(5, 2, set.specimen.finalArea);
    sheet.Put(5, 3, u"mm²");
    sheet.Put(6, 1, u"断后标距 Lu");
    sheet.PutNumber(6, 2, set.specimen.finalGaugeLength);
    sheet.Put(6, 3, u"mm");
    int row = 7;
    for (const ResultRow& result : set.rows) {
        sheet.PutUtf8(row, 1, FileResultName(result.name));
        sheet.PutNumber(row, 2, result.value);
        sheet.PutUtf8(row, 3, result.unit);
        ++row;
    }
    // A blank row, then how the results were taken.
    for (const std::string& note : ResultNotes(set)) sheet.PutUtf8(++row, 1, note);
    return sheet.Take(u"结果");
}

// Rows 1..6 of header data, then one row per record, every cell a text.
Worksheet RecordsSheet(const Settings& settings, const TestRun& run) {
    const int count = std::clamp(run.g_nRecordCount, 0, kRecordSlots - 1);
    SheetCells sheet;
    sheet.cells().reserve(16 + 3 * static_cast<std::size_t>(count));
    sheet.Put(1, 1, u"试验名称");
    sheet.PutGbk(1, 2, settings.g_strTestName);
    sheet.Put(2, 1, u"测试员");
    sheet.PutGbk(2, 2, settings.g_strTester);
    sheet.Put(3, 1, u"启动时间");
    sheet.PutGbk(3, 2, run.g_strStartTime);
    sheet.Put(4, 1, u"采集周期");
    sheet.PutGbk(4, 2, settings.g_strSamplePeriod);
    sheet.Put(4, 3, u"mS");
    sheet.Put(5, 1, u"次数");
    sheet.PutGbk(5, 2, settings.g_strChannelName0 + settings.g_strUnit0);
    sheet.PutGbk(5, 3, settings.g_strChannelName1 + settings.g_strUnit1);
    sheet.Put(6, 1, u"峰值");
    sheet.PutGbk(6, 2, run.g_strReadout0[kPeakSlot]);
    sheet.PutGbk(6, 3, run.g_strReadout1[kPeakSlot]);
    for (int i = 1; i <= count; ++i) {
        sheet.PutGbk(6 + i, 1, std::to_string(i));
        sheet.PutGbk(6 + i, 2, run.g_strRecord0[i]);
        sheet.PutGbk(6 + i, 3, run.g_strRecord1[i]);
    }
    return sheet.Take(u"Sheet1");
}

// The sheet 引伸计 of a test whose records carry the extensometer: Le and the removal record,
// then after a blank row one row per record of numbers: the record, its time (to the
// millisecond, as the CSV holds it, so that a workbook rebuilt from the files is the saved
// one), the extension and the strain in % of Le; both empty where it read nothing.
Worksheet ExtensometerSheet(const TestRun& run) {
    const int count = std::clamp(run.g_nRecordCount, 0, kRecordSlots - 1);
    const double gauge = run.g_dExtGaugeLength;
    SheetCells sheet;
    sheet.Put(1, 1, u"标距 Le");
    sheet.PutNumber(1, 2, gauge);
    sheet.Put(1, 3, u"mm");
    sheet.Put(2, 1, u"取下记录");
    if (run.g_nExtRemovalRecord > 0)
        sheet.PutNumber(2, 2, std::min(run.g_nExtRemovalRecord, count));
    sheet.Put(4, 1, u"次数");
    sheet.Put(4, 2, u"时间 (s)");
    sheet.Put(4, 3, u"引伸计 (mm)");
    sheet.Put(4, 4, u"应变 (%)");
    for (int i = 1; i <= count; ++i) {
        sheet.PutNumber(4 + i, 1, i);
        double time = 0;
        ParseNumber(FixedNumber(run.g_dRecordTime[i], 3), &time);
        sheet.PutNumber(4 + i, 2, time);
        const double extension = run.ExtReadingOf(i);
        if (std::isfinite(extension)) {
            sheet.PutNumber(4 + i, 3, extension);
            sheet.PutNumber(4 + i, 4, extension / gauge * 100);
        }
    }
    return sheet.Take(u"引伸计");
}

}  // namespace

bool WorkbookBytes(const Settings& settings, const TestRun& run, const ResultSet& results,
                   std::string* bytes, std::string* errorUtf8) {
    std::vector<Worksheet> sheets = {RecordsSheet(settings, run), ResultsSheet(results)};
    if (run.g_bExtRecorded) sheets.push_back(ExtensometerSheet(run));
    if (BuildCompoundFile(BuildWorkbookStream(sheets), bytes)) return true;
    if (errorUtf8 != nullptr) *errorUtf8 = ui::translate("RecordTexts", "工作簿过大，无法保存");
    return false;
}

bool ExportSpreadsheet(const Settings& settings, const TestRun& run, const SpecimenDims& specimen,
                       const std::string& pathUtf8, std::string* errorUtf8) {
    std::string file;
    if (!WorkbookBytes(settings, run, ResultsOfCurrentTest(settings, run, specimen), &file,
                       errorUtf8)) {
        if (errorUtf8 != nullptr) *errorUtf8 += "：" + pathUtf8;
        return false;
    }
    return WriteFileAtomically(pathUtf8, file, errorUtf8);
}
