// The card cannot report the output word it drives, so the program keeps the last word it
// wrote in a ledger beside its card lock (<instance folder>/Velmora.outputs, four hex
// digits). A program that ended without releasing the rig's lines (killed, crashed) leaves
// a word there that is not idle; the next start finds it and releases the lines.
#pragma once

#include <optional>
#include <string>

#include "DQX7460.h"

std::string OutputLedgerPath();

// The ledger of the instance folder there is when it is made; it keeps that folder.
class OutputLedger {
  public:
    OutputLedger();
    OutputLedger(const OutputLedger&) = delete;
    OutputLedger& operator=(const OutputLedger&) = delete;
    ~OutputLedger();

    // Notes a word that is about to be written (any word that is not idle: should the
    // program die during the write, the ledger already knows) or that the card has taken
    // (the idle word: the ledger says idle only once the card is). Rewrites the ledger only
    // when the word differs from the one it holds. Failures are silent: the ledger is a
    // help, not a condition of driving the card.
    void NoteOutputWord(WORD word);

    // The word the ledger holds, when there is a readable one.
    std::optional<WORD> LedgerOutputWord() const;

  private:
    const std::string path_;
    int fd_ = -1;
    std::optional<WORD> written_;
};
