#include "FullDrivePrompt.h"
#include "OffloadText.h"
#include "Output.h"
#include "Say.h"

#include "stowline/ByteFormat.h"
#include "stowline/CopyEngine.h"

#include <cctype>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace cli {

using namespace stowline;

namespace {

/// Reads one answer from standard input, giving up when a cancel comes first.
std::optional<char> readAnswer(ControlGate& gate) {
    for (;;) {
        if (gate.cancelled()) {
            return std::nullopt;
        }
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&in, 1, 100);
        if (ready <= 0) {
            continue;
        }
        std::string line;
        char c = 0;
        ssize_t got = 0;
        while ((got = ::read(STDIN_FILENO, &c, 1)) == 1 && c != '\n') {
            line += c;
        }
        if (got <= 0 && line.empty()) {
            return 'd'; // no one left to answer: drop rather than wait forever
        }
        if (!line.empty() && (line[0] == 'r' || line[0] == 'R' || line[0] == 'd' || line[0] == 'D')) {
            return static_cast<char>(std::tolower(line[0]));
        }
        Output::err(say("cli.offload.disk_full.answer") + " ");
    }
}

} // namespace

void FullDrivePrompt::handle(const EngineEvent::DiskFull& full) {
    const std::string what = say("cli.offload.disk_full", OffloadText::shown(full.root),
                                 ByteFormat::string(full.needed), ByteFormat::string(full.available));
    switch (onFull_) {
    case OnFull::drop:
        complain_(say("cli.offload.disk_full.dropping", what));
        gate_.drop(full.root);
        return;
    case OnFull::wait:
        if (const std::int64_t whole = CopyEngine::totalSpace(full.root); whole >= 0 && full.needed > whole) {
            complain_(say("cli.offload.disk_full.too_large", what, ByteFormat::string(whole)));
            gate_.drop(full.root);
            return;
        }
        if (waitingFor_.insert(full.root).second) {
            complain_(say("cli.offload.disk_full.waiting", what));
        }
        // Poll: let the engine look at the free space again in a second.
        for (int i = 0; i < 10 && !gate_.cancelled(); ++i) {
            ::usleep(100'000);
        }
        gate_.resume();
        return;
    case OnFull::ask:
        if (::isatty(STDIN_FILENO) != 1) {
            complain_(say("cli.offload.disk_full.no_terminal", what));
            gate_.drop(full.root);
            return;
        }
        complain_(what);
        Output::err(say("cli.offload.disk_full.ask") + " ");
        const auto answer = readAnswer(gate_);
        if (answer == 'r') {
            gate_.resume();
        } else if (answer == 'd') {
            gate_.drop(full.root);
        }
        return;
    }
}

} // namespace cli
