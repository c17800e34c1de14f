#include "acquisition/card_access.h"

#include "acquisition/safety.h"

Card::~Card() {
    highSpeed.EndWithoutNotice();
    // However the program lets go of the card (退出, the close box, the end of a headless
    // run, a start-up that gave up), the rig's lines are released; only a crash or a kill
    // leaves them as they were.
    if (g_hDevice != nullptr) WriteOutputs(kIdleOutputWord);
    CloseCard();
}

LONG Card::OpenCard() {
    std::lock_guard<CardLock> lock(lock_);
    DQX7460_DeviceClose(g_hDevice);
    g_hDevice = nullptr;
    return DQX7460_DeviceOpen(g_nDeviceNumber, &g_hDevice);
}

void Card::CloseCard() {
    std::lock_guard<CardLock> lock(lock_);
    DQX7460_DeviceClose(g_hDevice);
    g_hDevice = nullptr;
}

bool Card::ReadInputs(WORD* input) {
    *input = 0x00FF;
    const bool read =
        WithCard([input](HANDLE card) { return DQX7460_DioReadWord2(card, input); }) == 0;
    if (!read) *input = 0x00FF;
    return read;
}

bool Card::WriteOutputs(WORD word) {
    return WithCard([this, word](HANDLE card) {
               if (word != kIdleOutputWord) Ledger().NoteOutputWord(word);
               const LONG result = DQX7460_DioWriteWord2(card, word);
               if (result == 0 && word == kIdleOutputWord) Ledger().NoteOutputWord(word);
               return result;
           }) == 0;
}

std::optional<WORD> Card::LedgerOutputWord() {
    return WithCard([this](HANDLE) { return Ledger().LedgerOutputWord(); });
}

OutputLedger& Card::Ledger() {
    if (!ledger_) ledger_.emplace();
    return *ledger_;
}
