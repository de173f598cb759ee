#include "Commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* usage =
    "usage: stowline-cli COMMAND [ARGS...]\n"
    "\n"
    "Commands:\n"
    "  hash FILE...                 XXH64 of each file, read back around the file cache;\n"
    "                               one line per file: 16 hex digits, two spaces, the path\n"
    "  scan ITEM...                 the files a job would copy, in copy order; one line per\n"
    "                               file: relative path, a tab, the size in bytes\n"
    "  offload SOURCE... --dest DIR [--dest DIR ...] [--on-full ask|drop|wait]\n"
    "          [--sequential] [--no-mhl] [--no-txt] [--lang en|pt-BR]\n"
    "                               copy sources to every destination and verify each copy,\n"
    "                               then write a \"Hash Log\" folder into each destination:\n"
    "                               an MHL hash list and a text report\n"
    "  verify ROOT [--mhl FILE]     check a drive against its Hash Log: read every listed\n"
    "                               file again; exit 0 only when all are intact\n"
    "\n"
    "Offload options:\n"
    "  --on-full ask|drop|wait      when a destination fills up: ask on the terminal, drop\n"
    "                               it, or wait for space (default: ask on a terminal, else\n"
    "                               drop)\n"
    "  --sequential                 copy to one destination after another\n"
    "  --no-mhl                     write no MHL hash list\n"
    "  --no-txt                     write no text report\n"
    "  --lang en|pt-BR              the text report's language (default: the application's\n"
    "                               choice, else the system's preferred languages)\n"
    "\n"
    "Options:\n"
    "  --help                       show this help\n"
    "  --version                    show the version\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(usage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("stowline-cli %s\n", STOWLINE_VERSION);
        return 0;
    }
    if (command == "hash") {
        return cli::runHash(args);
    }
    if (command == "scan") {
        return cli::runScan(args);
    }
    if (command == "offload") {
        return cli::runOffload(args);
    }
    if (command == "verify") {
        return cli::runVerify(args);
    }
    std::fprintf(stderr, "stowline-cli: unknown command '%s'\n\n%s", command.c_str(), usage);
    return 2;
}
