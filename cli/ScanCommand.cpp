#include "Commands.h"

#include <cstdio>

namespace cli {

int runScan(const std::vector<std::string>&) {
    std::fputs("stowline-cli: 'scan' is not available yet\n", stderr);
    return 1;
}

} // namespace cli
