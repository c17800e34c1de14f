#include "acquisition/output_ledger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "acquisition/card_claim.h"
#include "common/atomic_file.h"

namespace {

constexpr std::size_t kLedgerBytes = 5;  // "00fe\n"

struct Ledger {
    std::string path;
    int fd = -1;
    std::optional<WORD> written;
};

Ledger& TheLedger() {
    static Ledger ledger;
    return ledger;
}

}  // namespace

std::string OutputLedgerPath() {
    const std::string lock = CardLockPath();
    return lock.substr(0, lock.rfind('/') + 1) + "Velmora.outputs";
}

void NoteOutputWord(WORD word) {
    Ledger& ledger = TheLedger();
    // The instance folder is fixed for the program's life; tests move it between cases.
    const std::string path = OutputLedgerPath();
    if (path != ledger.path) {
        if (ledger.fd >= 0) ::close(ledger.fd);
        ledger = Ledger{path, -1, std::nullopt};
    }
    if (ledger.written == word) return;
    if (ledger.fd < 0) {
        ledger.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (ledger.fd < 0) return;
    }
    char text[kLedgerBytes + 1];
    std::snprintf(text, sizeof text, "%04x\n", static_cast<unsigned>(word));
    // A fixed-size record written in place: a reader never sees a file cut short between
    // a truncation and a write.
    if (::pwrite(ledger.fd, text, kLedgerBytes, 0) == static_cast<ssize_t>(kLedgerBytes))
        ledger.written = word;
}

std::optional<WORD> LedgerOutputWord() {
    std::string bytes;
    if (!ReadFilePrefix(OutputLedgerPath(), kLedgerBytes, &bytes, nullptr)) return std::nullopt;
    if (bytes.size() < 4) return std::nullopt;
    char* end = nullptr;
    const std::string digits = bytes.substr(0, 4);
    const unsigned long word = std::strtoul(digits.c_str(), &end, 16);
    if (end != digits.c_str() + 4) return std::nullopt;
    return static_cast<WORD>(word);
}
