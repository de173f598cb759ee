#include "Commands.h"
#include "Output.h"

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
    "          [--sequential] [--no-wait] [--no-mhl] [--no-txt] [--pdf] [--ascmhl]\n"
    "          [--ascmhl-hash FORMAT] [--lang en|pt-BR]\n"
    "                               copy sources to every destination and verify each copy,\n"
    "                               then write a \"Hash Log\" folder into each destination:\n"
    "                               an MHL hash list and a text report (and with --pdf\n"
    "                               a PDF report)\n"
    "  verify ROOT [--mhl FILE] [--record] [--lang en|pt-BR]\n"
    "                               check a drive against its Hash Log and ASC MHL histories:\n"
    "                               read every listed file again; exit 0 only when all are\n"
    "                               intact (--record: add an in-place generation to each history)\n"
    "\n"
    "Offload options:\n"
    "  --on-full ask|drop|wait      when a destination fills up: ask on the terminal, drop\n"
    "                               it, or wait for space (default: ask on a terminal, else\n"
    "                               drop). \"ask\" drops when standard input is not a\n"
    "                               terminal; \"wait\" drops a drive whose whole capacity is\n"
    "                               smaller than the file\n"
    "  --sequential                 copy to one destination after another (chosen by\n"
    "                               itself when every destination is on one disk)\n"
    "  --no-wait                    when another job is writing to a destination, exit with\n"
    "                               status 2 instead of waiting for it to end\n"
    "  --no-mhl                     write no MHL hash list\n"
    "  --no-txt                     write no text report\n"
    "  --pdf                        also write a PDF report per destination: every file\n"
    "                               with its checksum and each destination's outcome\n"
    "                               (drawn without a display)\n"
    "  --ascmhl                     also keep an ASC MHL history (an \"ascmhl\" folder) in every\n"
    "                               copied folder at every destination, continuing one that is\n"
    "                               there or that came with the source\n"
    "  --ascmhl-hash xxh128|md5|sha1  record this hash too (implies --ascmhl; may be repeated);\n"
    "                               xxh64 is always recorded\n"
    "  --lang en|pt-BR              the language of the reports and of everything the\n"
    "                               command says, but for the per-file STATUS keywords\n"
    "                               below (default: the application's choice, else the\n"
    "                               system's preferred languages)\n"
    "\n"
    "Offload output:\n"
    "  When standard output is not a terminal, one line per file as it ends:\n"
    "      STATUS<TAB>PATH\n"
    "  STATUS is \"verified\", \"skipped\" (already identical at every destination) or\n"
    "  \"failed: REASON\". These keywords stay English whatever the language, for\n"
    "  scripts; REASON is in the chosen language (--lang). PATH is the file's path inside\n"
    "  each destination. PATH and REASON are escaped as the text report shows names, so\n"
    "  neither holds a tab or a line break: tab, line feed and carriage return as \\t, \\n,\n"
    "  \\r; other control characters, DEL and bytes that are not UTF-8 as \\xHH; C1\n"
    "  controls, U+2028 and U+2029 as \\uHHHH; a backslash stays as it is. Then the\n"
    "  summary in the chosen language (it names every destination the job left early and\n"
    "  every folder it could not make) and one \"Hash Log: FILE\" line per report written.\n"
    "  On a terminal a live progress line stands in for the per-file lines. Messages go\n"
    "  to standard error, in the chosen language.\n"
    "  A closed standard output or error stops the printing, never the job.\n"
    "  Exit status: 0 every file verified or skipped everywhere, every folder made and\n"
    "  every Hash Log written; 1 anything else; 2 usage error, a destination inside a\n"
    "  source, or a busy destination with --no-wait; 130 cancelled (SIGINT, SIGTERM, or\n"
    "  SIGHUP unless started under nohup).\n"
    "\n"
    "Options:\n"
    "  --help                       show this help\n"
    "  --version                    show the version\n";

} // namespace

int main(int argc, char** argv) {
    cli::Output::openStandardDescriptors();
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
