// Only one program drives the cards of one driver folder. Opening a card resets it, and the
// search for the card's number resets every card it passes, so the claim is decided before
// the open and covers the whole folder: the program takes an exclusive lock on
// <instance folder>/Velmora.lock (the folder where the card library finds its driver
// instances) and keeps it for its life. The lock is the kernel's (flock): it ends with the
// program, however the program ends, and it works the same whatever driver serves the
// folder's cards.
#pragma once

#include <string>

class CardClaim {
  public:
    enum class Result {
        kClaimed,  // this program drives the cards
        kInUse,    // another program holds them
        kNoLock,   // no lock file could be made: nothing to coordinate with, the open decides
        // The folder is not this user's alone, so the card library will not use it either:
        // no lock is taken there, and the open fails with the library's own refusal.
        kFolderRefused,
    };

    CardClaim() = default;
    CardClaim(const CardClaim&) = delete;
    CardClaim& operator=(const CardClaim&) = delete;
    ~CardClaim();

    // Takes the lock without waiting; a claim already held stays held.
    Result Claim();

  private:
    int fd_ = -1;
};

// <instance folder>/Velmora.lock
std::string CardLockPath();
