#include "Commands.h"
#include "HashLogSetup.h"
#include "OffloadArguments.h"
#include "OffloadRun.h"
#include "OffloadText.h"
#include "Output.h"
#include "QtApplication.h"
#include "Say.h"
#include "Signals.h"

#include "settings/Localization.h"
#include "stowline/CopyEngine.h"
#include "stowline/DestinationLocks.h"
#include "stowline/SupportedLanguage.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <unistd.h>

namespace cli {
namespace {

namespace fs = std::filesystem;
using namespace stowline;

/// Makes the chosen language active (Qt needs its application object for the catalog and
/// the preference store): it words the reports and everything the command says, sizes and
/// numbers included.
void chooseLanguage(const std::optional<SupportedLanguage>& language) {
    if (language) {
        Localization::setOverrideForThisProcess(language);
    } else {
        Localization::refresh(); // the override the application stored, else the environment
    }
}

/// Takes the job's lock on every destination, waiting while another job writes to one of
/// them (or refusing with --no-wait). Returns 0 once held, else the exit status.
int lockDestinations(const OffloadArguments& args, const SignalWatcher& signals,
                     std::optional<DestinationLocks>& locks) {
    std::set<fs::path> announced;
    std::vector<fs::path> busy;
    for (;;) {
        locks = DestinationLocks::tryAcquire(args.destinations, busy);
        if (locks) {
            return 0;
        }
        for (const auto& root : busy) {
            if (args.noWait) {
                Output::err("stowline-cli: " + say("cli.offload.busy.refused", OffloadText::shown(root)) +
                            "\n");
            } else if (announced.insert(root).second) {
                Output::err("stowline-cli: " + say("cli.offload.busy.waiting", OffloadText::shown(root)) +
                            "\n");
            }
        }
        if (args.noWait) {
            return 2;
        }
        for (int i = 0; i < 5; ++i) {
            if (signals.signalled()) {
                return 130;
            }
            ::usleep(100'000);
        }
    }
}

} // namespace

int runOffload(const std::vector<std::string>& args) {
    OffloadArguments parsed;
    std::optional<QtApplication> qt;
    try {
        parsed = OffloadArguments::parse(args);
        // Everything from here on is said in the chosen language; a usage error above goes
        // with the usage, in English.
        qt.emplace(parsed.formats.contains(ReportFormats::pdf()));
        chooseLanguage(parsed.language);
        parsed.validate();
    } catch (const UsageError& error) {
        std::fprintf(stderr, "stowline-cli offload: %s\n%s", error.message.c_str(), OffloadArguments::usage);
        return 2;
    }
    // The job outlives its reader: `offload … | head` or a closed terminal stops the output only.
    Output::keepRunningWithoutReader();
    // The reports name the folders absolutely, and a job started inside its card ("offload .")
    // is named after the card's own folder.
    parsed.makeAbsolute();
    HashLogSetup hashLog = prepareHashLog(parsed);

    CopyJob job{parsed.sources, parsed.destinations};
    CopyEngine::Options options;
    if (parsed.sequential) {
        options.sequential = true; // otherwise the engine chooses by the destinations' disks
    }
    if (parsed.ascMhl) {
        options.ascMhl = AscMhlOptions{*parsed.ascMhl, AscMhlCreator::current()};
    }
    CopyEngine engine(options);
    OffloadRun run(parsed, engine, std::move(hashLog));
    SignalWatcher signals([&run] { run.gate().cancel(); });
    // Held until the Hash Logs are written.
    std::optional<DestinationLocks> locks;
    if (const int status = lockDestinations(parsed, signals, locks); status != 0) {
        return status;
    }
    auto stream = engine.run(job);
    return run.consume(*stream, job);
}

} // namespace cli
