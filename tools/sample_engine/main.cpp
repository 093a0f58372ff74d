// sample-engine: a thinking engine for the match server, through a relay.
// It reads the server's messages on standard input and answers on standard
// output; see engine_session.h for the protocol and shot_chooser.h for how it
// picks a shot.

#include "binary_standard_streams.h"
#include "command_line.h"
#include "engine_session.h"

#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

using sample_engine::EngineOptions;
using sample_engine::ReadNumber;

namespace {

constexpr std::string_view kUsage =
    "Usage: sample-engine [--random R] [--seed N] [--plain] [--max-think-ms MS]\n"
    "                     [--threads T] [--legacy-sampling]\n"
    "\n"
    "A thinking engine: reads zero-terminated messages from the match server on\n"
    "standard input and answers ISREADY and GO on standard output, one line each.\n"
    "\n"
    "  --random R         delivery error the server adds, as an offset at the tee\n"
    "                     in metres (default 0.1); the engine plans for it\n"
    "  --seed N           seed of the errors the engine samples (default 1)\n"
    "  --plain            always draw to the tee, without thinking\n"
    "  --max-think-ms MS  longest think for one stone (default 3000); less when\n"
    "                     the clock in GO leaves less\n"
    "  --threads T        threads that play the samples (default 0: one per core)\n"
    "  --legacy-sampling  model the delivery error in the engine, one simulation\n"
    "                     per sample, as earlier versions did (for comparison)\n"
    "\n"
    "After each game it writes its simulations per second on standard error.\n";

// Reads the options into `options`; on a mistake says what is wrong on stderr.
bool ParseOptions(int argc, char** argv, EngineOptions& options, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help") {
            help = true;
            continue;
        }
        if (name == "--plain") {
            options.plain = true;
            continue;
        }
        if (name == "--legacy-sampling") {
            options.sampling.legacy = true;
            continue;
        }
        const bool takesValue = name == "--random" || name == "--seed" ||
                                name == "--max-think-ms" || name == "--threads";
        if (!takesValue) {
            std::cerr << "sample-engine: unknown option '" << name << "'\n";
            return false;
        }
        if (i + 1 >= argc) {
            std::cerr << "sample-engine: " << name << " needs a value\n";
            return false;
        }
        const std::string_view value = argv[++i];
        bool good = false;
        if (name == "--random") {
            good = ReadNumber(value, options.randomSize) && options.randomSize >= 0.0f;
        } else if (name == "--seed") {
            good = ReadNumber(value, options.seed);
        } else if (name == "--threads") {
            good = ReadNumber(value, options.sampling.threads) && options.sampling.threads >= 0;
        } else {
            good = ReadNumber(value, options.maxThinkMs) && options.maxThinkMs >= 0;
        }
        if (!good) {
            std::cerr << "sample-engine: bad value '" << value << "' of " << name << "\n";
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    sample_engine::MakeStandardStreamsBinary();
    EngineOptions options;
    if (const std::optional<int> status =
            sample_engine::HandleCommandLine(argc, argv, options, ParseOptions, kUsage)) {
        return *status;
    }
    sample_engine::EngineSession session(options, std::chrono::steady_clock::now, &std::cerr);
    session.Run(std::cin, std::cout);
    return 0;
}
