#include "Commands.h"

#include <cstdio>

namespace cli {

int runOffload(const std::vector<std::string>&) {
    std::fputs("stowline-cli: 'offload' is not available yet\n", stderr);
    return 1;
}

} // namespace cli
