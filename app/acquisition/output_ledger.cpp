#include "acquisition/output_ledger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "acquisition/card_claim.h"
#include "common/atomic_file.h"

namespace {

constexpr std::size_t kLedgerBytes = 5;  // "00fe\n"

}  // namespace

std::string OutputLedgerPath() {
    const std::string lock = CardLockPath();
    return lock.substr(0, lock.rfind('/') + 1) + "Velmora.outputs";
}

OutputLedger::OutputLedger() : path_(OutputLedgerPath()) {}

OutputLedger::~OutputLedger() {
    if (fd_ >= 0) ::close(fd_);
}

void OutputLedger::NoteOutputWord(WORD word) {
    if (written_ == word) return;
    if (fd_ < 0) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) return;
    }
    char text[kLedgerBytes + 1];
    std::snprintf(text, sizeof text, "%04x\n", static_cast<unsigned>(word));
    // A fixed-size record written in place: a reader never sees a file cut short between
    // a truncation and a write.
    if (::pwrite(fd_, text, kLedgerBytes, 0) == static_cast<ssize_t>(kLedgerBytes)) written_ = word;
}

std::optional<WORD> OutputLedger::LedgerOutputWord() const {
    std::string bytes;
    if (!ReadFilePrefix(path_, kLedgerBytes, &bytes, nullptr)) return std::nullopt;
    if (bytes.size() < 4) return std::nullopt;
    char* end = nullptr;
    const std::string digits = bytes.substr(0, 4);
    const unsigned long word = std::strtoul(digits.c_str(), &end, 16);
    if (end != digits.c_str() + 4) return std::nullopt;
    return static_cast<WORD>(word);
}
