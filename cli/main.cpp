#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("stowline-cli %s\n", STOWLINE_VERSION);
        return 0;
    }
    std::printf("usage: stowline-cli --help\n");
    return 0;
}
