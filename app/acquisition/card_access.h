// The program's one way to the card. The card library serialises nothing: two threads that
// use one handle at once interleave their requests, and the card (or the socket behind the
// handle) takes the mixture as a broken conversation. Every call the program makes into the
// library therefore holds one lock, and the handle itself is read and replaced under it.
#pragma once

#include <condition_variable>
#include <mutex>

#include "DQX7460.h"
#include "acquisition/run_state.h"

// A lock taken in the order it was asked for: the worker, which asks again as soon as it
// has parsed a block, cannot hold the window's thread off, nor the other way round.
class CardLock {
  public:
    void lock();
    void unlock();

  private:
    std::mutex mutex_;
    std::condition_variable turn_;
    unsigned long long nextTicket_ = 0;
    unsigned long long serving_ = 0;
};

CardLock& CardMutex();

// Runs call(g_hDevice) under the card's lock and returns what it returns. The call must not
// take the lock again (it is not recursive) nor wait for the high-speed worker.
template <typename Call>
auto WithCard(Call&& call) {
    std::lock_guard<CardLock> lock(CardMutex());
    return call(g_hDevice);
}

// Closes the handle there is (none is fine) and opens card g_nDeviceNumber into g_hDevice;
// the library's result: 0 opened, otherwise g_hDevice is null.
LONG OpenCard();
// Closes the handle and leaves g_hDevice null.
void CloseCard();

// The input poll's read: the rig's input word, or 0x00FF (all inputs released) when the
// read failed. True when the card answered.
bool ReadInputs(WORD* input);
// Writes the output word; true when the card took it.
bool WriteOutputs(WORD word);
