#include <cstdio>

#include "platform.h"

namespace dqx7460 {

void ShowMessageWithoutHook(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace dqx7460
