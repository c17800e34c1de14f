#include "records/compound_file.h"

#include <cstdint>

namespace {

constexpr std::size_t kSectorBytes = 512;
constexpr std::size_t kStreamGranule = 4096;
constexpr std::size_t kIdsPerSector = kSectorBytes / 4;
constexpr std::size_t kHeaderFatSlots = 109;
constexpr std::size_t kDirEntryBytes = 128;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

void PutU16(std::string* out, std::size_t at, std::uint16_t v) {
    (*out)[at] = static_cast<char>(v & 0xFF);
    (*out)[at + 1] = static_cast<char>(v >> 8);
}

void PutU32(std::string* out, std::size_t at, std::uint32_t v) {
    PutU16(out, at, v & 0xFFFF);
    PutU16(out, at + 2, v >> 16);
}

void PutDirEntry(std::string* out, std::size_t at, const std::u16string& name, std::uint8_t type,
                 std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    for (std::size_t i = 0; i < name.size(); ++i) PutU16(out, at + 2 * i, name[i]);
    PutU16(out, at + 0x40, static_cast<std::uint16_t>((name.size() + 1) * 2));
    (*out)[at + 0x42] = static_cast<char>(type);
    (*out)[at + 0x43] = 1;  // black: the tree has a single node per level
    PutU32(out, at + 0x44, kNoStream);
    PutU32(out, at + 0x48, kNoStream);
    PutU32(out, at + 0x4C, child);
    PutU32(out, at + 0x74, start);
    PutU32(out, at + 0x78, size);
}

}  // namespace

bool BuildCompoundFile(const std::string& workbookStream, std::string* file) {
    std::size_t streamBytes =
        (workbookStream.size() + kStreamGranule - 1) / kStreamGranule * kStreamGranule;
    if (streamBytes == 0) streamBytes = kStreamGranule;
    const std::size_t streamSectors = streamBytes / kSectorBytes;
    const std::size_t dirSector = streamSectors;
    std::size_t fatSectors = 1;
    while (fatSectors * kIdsPerSector < streamSectors + 1 + fatSectors) ++fatSectors;
    if (fatSectors > kHeaderFatSlots) return false;
    const std::size_t firstFatSector = dirSector + 1;
    const std::size_t totalSectors = firstFatSector + fatSectors;

    std::string out((1 + totalSectors) * kSectorBytes, '\0');
    const std::string signature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    out.replace(0, signature.size(), signature);
    PutU16(&out, 0x18, 0x003E);  // minor version
    PutU16(&out, 0x1A, 0x0003);  // major version 3: 512-byte sectors
    PutU16(&out, 0x1C, 0xFFFE);  // little-endian
    PutU16(&out, 0x1E, 9);       // 2^9-byte sectors
    PutU16(&out, 0x20, 6);       // 2^6-byte mini sectors
    PutU32(&out, 0x2C, static_cast<std::uint32_t>(fatSectors));
    PutU32(&out, 0x30, static_cast<std::uint32_t>(dirSector));
    PutU32(&out, 0x38, kStreamGranule);  // mini stream cutoff
    PutU32(&out, 0x3C, kEndOfChain);     // no mini FAT
    PutU32(&out, 0x44, kEndOfChain);     // no DIFAT sectors
    for (std::size_t i = 0; i < kHeaderFatSlots; ++i) {
        PutU32(&out, 0x4C + 4 * i,
               i < fatSectors ? static_cast<std::uint32_t>(firstFatSector + i) : kFreeSector);
    }

    out.replace(kSectorBytes, workbookStream.size(), workbookStream);

    const std::size_t dirAt = kSectorBytes * (1 + dirSector);
    for (std::size_t e = 0; e < kSectorBytes / kDirEntryBytes; ++e) {
        const std::size_t at = dirAt + e * kDirEntryBytes;
        for (std::size_t field : {0x44, 0x48, 0x4C}) PutU32(&out, at + field, kNoStream);
    }
    PutDirEntry(&out, dirAt, u"Root Entry", 5, 1, kEndOfChain, 0);
    PutDirEntry(&out, dirAt + kDirEntryBytes, u"Workbook", 2, kNoStream, 0,
                static_cast<std::uint32_t>(streamBytes));

    const std::size_t fatAt = kSectorBytes * (1 + firstFatSector);
    for (std::size_t s = 0; s < fatSectors * kIdsPerSector; ++s) {
        std::uint32_t next = kFreeSector;
        if (s + 1 < streamSectors) {
            next = static_cast<std::uint32_t>(s + 1);
        } else if (s + 1 == streamSectors || s == dirSector) {
            next = kEndOfChain;
        } else if (s >= firstFatSector && s < totalSectors) {
            next = kFatSector;
        }
        PutU32(&out, fatAt + 4 * s, next);
    }
    *file = std::move(out);
    return true;
}
