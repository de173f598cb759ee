#include "Commands.h"

#include <cstdio>

namespace cli {

int runHash(const std::vector<std::string>&) {
    std::fputs("stowline-cli: 'hash' is not available yet\n", stderr);
    return 1;
}

} // namespace cli
