// The simulator's control commands: the fuzz input is a session of command lines, each
// run on one card with its rig, as the control socket runs them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "card.h"
#include "control.h"
#include "rig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sim::Card card;
    double now = 0.0;
    sim::Rig rig(card, sim::RigParams(), [&now] { return now; });
    std::string line;
    for (std::size_t at = 0; at < size; ++at) {
        const char c = static_cast<char>(data[at]);
        if (c != '\n') {
            line.push_back(c);
            continue;
        }
        bool quit = false;
        const std::string reply = sim::ExecuteControl(line, card, rig, &quit);
        if (reply.rfind("ok", 0) != 0 && reply.rfind("err ", 0) != 0) __builtin_trap();
        line.clear();
        now += 0.05;
        rig.Update();
    }
    return 0;
}
