#include "records/biff8_writer.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::size_t kMaxRecordData = 8224;
constexpr std::uint16_t kCellXf = 15;
constexpr std::size_t kRowsPerBlock = 32;
constexpr std::size_t kMaxStringChars = 0xFFFF;

// Little-endian record data.
class Bytes {
  public:
    Bytes& U8(std::uint8_t v) {
        data_.push_back(static_cast<char>(v));
        return *this;
    }
    Bytes& U16(std::uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& F64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return U32(static_cast<std::uint32_t>(bits)).U32(static_cast<std::uint32_t>(bits >> 32));
    }
    const std::string& data() const { return data_; }
    std::size_t size() const { return data_.size(); }
    void clear() { data_.clear(); }

  private:
    std::string data_;
};

void PutU32At(std::string* out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void AppendRecord(std::string* out, std::uint16_t id, const std::string& data) {
    Bytes head;
    head.U16(id).U16(static_cast<std::uint16_t>(data.size()));
    out->append(head.data());
    out->append(data);
}

void AppendRecord(std::string* out, std::uint16_t id, const Bytes& data) {
    AppendRecord(out, id, data.data());
}

bool FitsOneByte(const std::u16string& text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; });
}

// Characters as stored: one byte each when every character is below 0x100 (the
// "compressed" form, flag 0), otherwise UTF-16LE (flag 1).
void AppendChars(Bytes* out, const std::u16string& text, std::size_t from, std::size_t count,
                 bool compressed) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (compressed) {
            out->U8(static_cast<std::uint8_t>(text[i]));
        } else {
            out->U16(text[i]);
        }
    }
}

// ShortXLUnicodeString (8-bit count) for font and sheet names.
void AppendShortString(Bytes* out, const std::u16string& text) {
    const bool compressed = FitsOneByte(text);
    out->U8(static_cast<std::uint8_t>(text.size())).U8(compressed ? 0 : 1);
    AppendChars(out, text, 0, text.size(), compressed);
}

void AppendBof(std::string* out, std::uint16_t type) {
    Bytes bof;
    bof.U16(0x0600).U16(type).U16(0x0DBB).U16(0x07CC).U32(0).U32(0x06);
    AppendRecord(out, kBof, bof);
}

void AppendU16Record(std::string* out, std::uint16_t id, std::uint16_t value) {
    Bytes data;
    data.U16(value);
    AppendRecord(out, id, data);
}

void AppendFont(std::string* out) {
    Bytes font;
    font.U16(220)     // 11 pt in twips
        .U16(0)       // no italic, strike-out or outline
        .U16(0x7FFF)  // window text colour
        .U16(400)     // normal weight
        .U16(0)       // no super- or subscript
        .U8(0)        // no underline
        .U8(0)        // family not given
        .U8(0x86)     // GB2312 character set
        .U8(0);
    AppendShortString(&font, u"宋体");
    AppendRecord(out, 0x0031, font);
}

// Style XF (cell == false) or the cell XF 15 that every cell uses; no formatting.
void AppendXf(std::string* out, std::uint16_t font, bool cell) {
    Bytes xf;
    xf.U16(font)
        .U16(0)                       // General number format
        .U16(cell ? 0x0001 : 0xFFF5)  // locked; style XFs have no parent
        .U8(0x20)                     // bottom-aligned, no wrap
        .U8(0)
        .U8(0)
        .U8(cell ? 0x00 : 0xF4)  // which attributes differ from the parent
        .U32(0)                  // no borders
        .U32(0)
        .U16(0x20C0);  // default pattern colours 64 and 65
    AppendRecord(out, 0x00E0, xf);
}

struct SstBucket {
    std::uint32_t streamPos;     // where the bucket's first string starts in the stream
    std::uint16_t recordOffset;  // the same, from the start of its SST or CONTINUE record
};

// The shared string table. A string's header (count and flags) never leaves its record;
// its characters may continue in CONTINUE records, each of which starts by repeating the
// flags byte, and a character is never split.
void AppendSst(std::string* out, const std::vector<const std::u16string*>& strings,
               std::uint32_t references, std::size_t perBucket, std::vector<SstBucket>* buckets) {
    Bytes record;
    std::uint16_t id = kSst;
    auto flush = [&] {
        AppendRecord(out, id, record);
        record.clear();
        id = kContinue;
    };
    record.U32(references).U32(static_cast<std::uint32_t>(strings.size()));
    for (std::size_t k = 0; k < strings.size(); ++k) {
        const std::u16string& text = *strings[k];
        const std::size_t length = std::min(text.size(), kMaxStringChars);
        const bool compressed = FitsOneByte(text);
        const std::size_t unit = compressed ? 1 : 2;
        if (kMaxRecordData - record.size() < 3 + (length > 0 ? unit : 0)) flush();
        if (k % perBucket == 0) {
            buckets->push_back({static_cast<std::uint32_t>(out->size() + 4 + record.size()),
                                static_cast<std::uint16_t>(4 + record.size())});
        }
        record.U16(static_cast<std::uint16_t>(length)).U8(compressed ? 0 : 1);
        std::size_t done = 0;
        while (done < length) {
            std::size_t room = (kMaxRecordData - record.size()) / unit;
            if (room == 0) {
                flush();
                record.U8(compressed ? 0 : 1);
                continue;
            }
            std::size_t count = std::min(room, length - done);
            AppendChars(&record, text, done, count, compressed);
            done += count;
        }
    }
    flush();
}

void AppendGlobals(std::string* out, const std::vector<Worksheet>& sheets,
                   const std::vector<const std::u16string*>& strings, std::uint32_t references,
                   std::vector<std::size_t>* sheetOffsetsAt) {
    AppendBof(out, 0x0005);
    AppendU16Record(out, 0x00E1, 1200);  // INTERFACEHDR: UTF-16 code page
    AppendU16Record(out, 0x00C1, 0);     // MMS
    AppendRecord(out, 0x00E2, Bytes());  // INTERFACEEND
    Bytes access;
    access.U16(7).U8(0);
    for (char c : std::string("Velmora")) access.U8(static_cast<std::uint8_t>(c));
    while (access.size() < 112) access.U8(' ');
    AppendRecord(out, 0x005C, access);   // WRITEACCESS
    AppendU16Record(out, 0x0042, 1200);  // CODEPAGE
    AppendU16Record(out, 0x0161, 0);     // DSF
    Bytes tabs;
    for (std::size_t i = 0; i < sheets.size(); ++i) tabs.U16(static_cast<std::uint16_t>(i + 1));
    AppendRecord(out, 0x013D, tabs);     // TABID: one per sheet
    AppendU16Record(out, 0x009C, 0x0E);  // FNGROUPCOUNT
    AppendU16Record(out, 0x0019, 0);     // WINDOWPROTECT
    AppendU16Record(out, 0x0012, 0);     // PROTECT
    AppendU16Record(out, 0x0063, 0);     // OBJPROTECT
    AppendU16Record(out, 0x0013, 0);     // PASSWORD
    AppendU16Record(out, 0x01AF, 0);     // PROT4REV
    AppendU16Record(out, 0x01BC, 0);     // PROT4REVPASS
    AppendU16Record(out, 0x0040, 0);     // BACKUP
    AppendU16Record(out, 0x008D, 0);     // HIDEOBJ
    Bytes window;
    window.U16(0x01E0).U16(0x005A).U16(0x3FCF).U16(0x2A4E).U16(0x0038).U16(0).U16(0).U16(1).U16(
        0x0258);
    AppendRecord(out, 0x003D, window);  // WINDOW1
    AppendU16Record(out, 0x0022, 0);    // DATEMODE: 1900 dates
    AppendU16Record(out, 0x000E, 1);    // PRECISION: as displayed is off
    AppendU16Record(out, 0x01B7, 0);    // REFRESHALL
    AppendU16Record(out, 0x00DA, 0);    // BOOKBOOL
    for (int i = 0; i < 5; ++i) AppendFont(out);
    for (std::uint16_t i = 0; i < 15; ++i) AppendXf(out, i == 1 || i == 2 ? 1 : 0, false);
    AppendXf(out, 0, true);
    Bytes style;
    style.U16(0x8000).U8(0).U8(0xFF);  // built-in style Normal on XF 0
    AppendRecord(out, 0x0293, style);
    for (const Worksheet& each : sheets) {
        Bytes sheet;
        sheet.U32(0).U8(0).U8(0);  // offset filled in once known; visible worksheet
        AppendShortString(&sheet, each.name);
        sheetOffsetsAt->push_back(out->size() + 4);
        AppendRecord(out, kBoundSheet, sheet);
    }
    Bytes country;
    country.U16(1).U16(86);
    AppendRecord(out, 0x008C, country);  // COUNTRY

    const std::size_t perBucket = std::max<std::size_t>(8, strings.size() / 128 + 1);
    std::vector<SstBucket> buckets;
    AppendSst(out, strings, references, perBucket, &buckets);
    Bytes ext;
    ext.U16(static_cast<std::uint16_t>(perBucket));
    for (const SstBucket& b : buckets) ext.U32(b.streamPos).U16(b.recordOffset).U16(0);
    AppendRecord(out, kExtSst, ext);
    AppendRecord(out, kEof, Bytes());
}

// A cell of a sheet in row order: a text (its entry in the shared strings) or a number.
struct PlacedCell {
    std::uint16_t row;
    std::uint16_t col;
    const std::u16string* text;  // none for a number
    double number;
    std::uint32_t sst;
};

std::vector<PlacedCell> SortedCells(const Worksheet& sheet) {
    std::vector<PlacedCell> cells;
    cells.reserve(sheet.texts.size() + sheet.numbers.size());
    for (const TextCell& c : sheet.texts) cells.push_back({c.row, c.col, &c.text, 0.0, 0});
    for (const NumberCell& c : sheet.numbers) cells.push_back({c.row, c.col, nullptr, c.value, 0});
    // Texts keep their given order among equal positions, as they always have.
    std::stable_sort(cells.begin(), cells.end(), [](const PlacedCell& a, const PlacedCell& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    return cells;
}

void AppendSheet(std::string* out, const std::vector<PlacedCell>& cells, bool first) {
    AppendBof(out, 0x0010);
    AppendU16Record(out, 0x000D, 1);    // CALCMODE: automatic
    AppendU16Record(out, 0x000C, 100);  // CALCCOUNT
    AppendU16Record(out, 0x000F, 1);    // REFMODE: A1
    AppendU16Record(out, 0x0011, 0);    // ITERATION
    Bytes delta;
    delta.F64(0.001);
    AppendRecord(out, 0x0010, delta);  // DELTA
    AppendU16Record(out, 0x005F, 1);   // SAVERECALC
    AppendU16Record(out, 0x002A, 0);   // PRINTHEADERS
    AppendU16Record(out, 0x002B, 0);   // PRINTGRIDLINES
    AppendU16Record(out, 0x0082, 1);   // GRIDSET
    Bytes guts;
    guts.U16(0).U16(0).U16(0).U16(0);
    AppendRecord(out, 0x0080, guts);  // GUTS
    Bytes rowHeight;
    rowHeight.U16(0).U16(0x00FF);
    AppendRecord(out, 0x0225, rowHeight);  // DEFAULTROWHEIGHT
    AppendU16Record(out, 0x0081, 0x04C1);  // WSBOOL

    Bytes dimensions;
    if (cells.empty()) {
        dimensions.U32(0).U32(0).U16(0).U16(0).U16(0);
    } else {
        std::uint16_t firstCol = 0xFF, lastCol = 0;
        for (const PlacedCell& c : cells) {
            firstCol = std::min(firstCol, c.col);
            lastCol = std::max(lastCol, c.col);
        }
        dimensions.U32(cells.front().row)
            .U32(cells.back().row + 1u)
            .U16(firstCol)
            .U16(lastCol + 1)
            .U16(0);
    }
    AppendRecord(out, 0x0200, dimensions);

    // Rows in blocks of 32 as Excel writes them: the block's ROW records, then its cells.
    std::vector<std::size_t> rowStarts;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i == 0 || cells[i].row != cells[i - 1].row) rowStarts.push_back(i);
    }
    rowStarts.push_back(cells.size());
    const std::size_t rowCount = rowStarts.size() - 1;
    for (std::size_t blockRow = 0; blockRow < rowCount; blockRow += kRowsPerBlock) {
        const std::size_t blockEnd = std::min(rowCount, blockRow + kRowsPerBlock);
        for (std::size_t r = blockRow; r < blockEnd; ++r) {
            const PlacedCell& start = cells[rowStarts[r]];
            const PlacedCell& last = cells[rowStarts[r + 1] - 1];
            Bytes row;
            row.U16(start.row)
                .U16(start.col)
                .U16(last.col + 1)
                .U16(0x00FF)
                .U16(0)
                .U16(0)
                .U32(0x000F0100);
            AppendRecord(out, kRow, row);
        }
        for (std::size_t i = rowStarts[blockRow]; i < rowStarts[blockEnd]; ++i) {
            const PlacedCell& c = cells[i];
            Bytes cell;
            cell.U16(c.row).U16(c.col).U16(kCellXf);
            if (c.text == nullptr) {
                cell.F64(c.number);
                AppendRecord(out, kNumber, cell);
            } else {
                cell.U32(c.sst);
                AppendRecord(out, kLabelSst, cell);
            }
        }
    }

    Bytes window;
    // Grid and headers on every sheet; the first is the selected and shown one.
    window.U16(first ? 0x06B6 : 0x00B6).U16(0).U16(0).U16(0x40).U16(0).U16(0).U16(0).U32(0);
    AppendRecord(out, 0x023E, window);  // WINDOW2
    AppendRecord(out, kEof, Bytes());
}

}  // namespace

std::string BuildWorkbookStream(const std::vector<Worksheet>& sheets) {
    std::vector<std::vector<PlacedCell>> placed;
    placed.reserve(sheets.size());
    for (const Worksheet& sheet : sheets) placed.push_back(SortedCells(sheet));

    // Equal texts share one entry, in order of first use, sheet after sheet.
    std::unordered_map<std::u16string, std::uint32_t> index;
    std::vector<const std::u16string*> strings;
    std::uint32_t references = 0;
    for (std::vector<PlacedCell>& cells : placed) {
        for (PlacedCell& cell : cells) {
            if (cell.text == nullptr) continue;
            auto [it, added] =
                index.emplace(*cell.text, static_cast<std::uint32_t>(strings.size()));
            if (added) strings.push_back(&it->first);
            cell.sst = it->second;
            ++references;
        }
    }

    std::string stream;
    std::size_t cellCount = 0;
    for (const auto& cells : placed) cellCount += cells.size();
    stream.reserve(64 * 1024 + cellCount * 24);
    std::vector<std::size_t> sheetOffsetsAt;
    AppendGlobals(&stream, sheets, strings, references, &sheetOffsetsAt);
    for (std::size_t s = 0; s < sheets.size(); ++s) {
        PutU32At(&stream, sheetOffsetsAt[s], static_cast<std::uint32_t>(stream.size()));
        AppendSheet(&stream, placed[s], s == 0);
    }
    return stream;
}

std::string BuildWorkbookStream(const std::vector<TextCell>& cells,
                                const std::u16string& sheetName) {
    return BuildWorkbookStream({Worksheet{sheetName, cells, {}}});
}
