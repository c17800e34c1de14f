// Serves sim::Card objects to the card library inside the test's own process:
//     sim::InProcessDriver d; d.AddCard(0, card); dqx7460::SetDriver(&d);
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "card.h"
#include "driver.h"

namespace sim {

class InProcessDriver : public dqx7460::Driver {
  public:
    // The card stays owned by the caller and must outlive every handle opened on it.
    void AddCard(int instance, Card& card);
    void RemoveCard(int instance);

    HANDLE Open(int instance) override;
    void Close(HANDLE handle) override;
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override;

  private:
    struct Link {
        Card* card;
    };

    std::mutex mutex_;
    std::map<int, Card*> cards_;
    std::vector<std::unique_ptr<Link>> links_;
};

}  // namespace sim
