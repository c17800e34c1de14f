#include "in_process_driver.h"

#include <algorithm>

namespace sim {

void InProcessDriver::AddCard(int instance, Card& card) {
    std::lock_guard<std::mutex> lock(mutex_);
    cards_[instance] = &card;
}

void InProcessDriver::RemoveCard(int instance) {
    std::lock_guard<std::mutex> lock(mutex_);
    cards_.erase(instance);
}

HANDLE InProcessDriver::Open(int instance) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = cards_.find(instance);
    if (found == cards_.end()) return nullptr;
    links_.push_back(std::make_unique<Link>(Link{found->second}));
    return links_.back().get();
}

void InProcessDriver::Close(HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    links_.erase(std::remove_if(links_.begin(), links_.end(),
                                [handle](const auto& link) { return link.get() == handle; }),
                 links_.end());
}

bool InProcessDriver::Control(HANDLE handle, std::uint32_t code, const void* in,
                              std::uint32_t inLen, void* out, std::uint32_t outLen,
                              std::uint32_t* returned) {
    Card* card = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& link : links_) {
            if (link.get() == handle) card = link->card;
        }
    }
    if (card == nullptr) {
        *returned = 0;
        return false;
    }
    return card->Control(code, in, inLen, out, outLen, returned);
}

}  // namespace sim
