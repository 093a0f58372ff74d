// skerrow-match: a series of game pairs between engine programs, refereed by
// the match referee, with statistics, resume, shards and their merge.

#include "series_options.h"
#include "series_records.h"
#include "series_report.h"
#include "series_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define SKERROW_ISATTY _isatty
#define SKERROW_FILENO _fileno
#else
#include <unistd.h>
#define SKERROW_ISATTY isatty
#define SKERROW_FILENO fileno
#endif

using namespace skerrow::match_runner;

namespace {

namespace fs = std::filesystem;

int Fail(const std::string& message, int status = 1) {
    std::cerr << "skerrow-match: " << message << '\n';
    return status;
}

std::vector<std::string> EngineOrder(const SeriesOptions& options) {
    std::vector<std::string> names;
    for (const EngineEntry& engine : options.engines) {
        names.push_back(engine.name);
    }
    return names;
}

// Prints the report and writes the summary files; the exit status.
int Conclude(const SeriesReport& report, const std::map<std::string, std::string>& extra,
             const SeriesOptions& options, const std::string& recordsFolder, int status) {
    const std::string table = ReportTable(report);
    const std::string json = ReportJson(report, extra);
    std::fputs(options.json ? json.c_str() : table.c_str(), stdout);
    std::fflush(stdout);
    if (!recordsFolder.empty()) {
        std::string error;
        if (!WriteWholeFile(recordsFolder, "summary.json", json, error) ||
            !WriteWholeFile(recordsFolder, "summary.txt", table, error)) {
            return Fail(error);
        }
    }
    return status;
}

std::string Quoted(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
        }
        json += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    return json + '"';
}

int Merge(const SeriesOptions& command) {
    std::map<int, GameOutcome> outcomes;
    std::map<int, std::string> from;
    std::optional<SeriesFile> series;
    for (const std::string& folder : command.merge) {
        std::string error;
        const std::optional<SeriesFile> file = ReadSeriesFile(folder, error);
        if (!file) {
            return Fail(error);
        }
        if (series && file->seed != series->seed) {
            return Fail(folder + " holds a series with seed " + std::to_string(file->seed) + ", " +
                        command.merge.front() + " one with seed " + std::to_string(series->seed) +
                        ": not shards of one series");
        }
        series = file;
        for (auto& [number, outcome] : LoadRecords(folder, error)) {
            if (const auto found = from.find(number); found != from.end()) {
                return Fail("game " + std::to_string(number) + " is in both " + found->second +
                            " and " + folder);
            }
            from[number] = folder;
            outcomes[number] = outcome;
        }
        if (!error.empty()) {
            return Fail(error);
        }
    }
    const SeriesParseResult original = ParseSeriesOptions(series->arguments);
    if (!original.error.empty()) {
        return Fail(command.merge.front() + "/series.json: " + original.error);
    }
    const std::optional<SprtOptions> sprt = command.sprt ? command.sprt : original.options.sprt;
    const SeriesReport report = MakeReport(outcomes, EngineOrder(original.options), sprt);
    return Conclude(report, {{"seed", std::to_string(series->seed)}}, command, "", 0);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    SeriesParseResult parsed = ParseSeriesOptions(arguments);
    if (!parsed.error.empty()) {
        std::cerr << "skerrow-match: " << parsed.error << "\nTry 'skerrow-match --help'.\n";
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(kSeriesUsage, stdout);
        return 0;
    }
    if (!parsed.options.merge.empty()) {
        return Merge(parsed.options);
    }

    SeriesSetup setup;
    std::string error;
    if (!parsed.options.resume.empty()) {
        const std::string folder = parsed.options.resume;
        const std::optional<SeriesFile> series = ReadSeriesFile(folder, error);
        if (!series) {
            return Fail(error);
        }
        SeriesParseResult original = ParseSeriesOptions(series->arguments);
        if (!original.error.empty()) {
            return Fail(folder + "/series.json: " + original.error);
        }
        setup.options = original.options;
        // What may change on resuming: how many games at once, and the output.
        if (std::find(arguments.begin(), arguments.end(), "--concurrency") != arguments.end()) {
            setup.options.concurrency = parsed.options.concurrency;
        }
        setup.options.json = setup.options.json || parsed.options.json;
        setup.seed = series->seed;
        setup.recordsFolder = folder;
        setup.done = LoadRecords(folder, error);
        if (!error.empty()) {
            return Fail(error);
        }
        for (const auto& [number, outcome] : setup.done) {
            if (outcome.seed != PairSeed(setup.seed, PairOfGame(number))) {
                return Fail(folder + " holds game " + std::to_string(number) +
                            " of another series (its seed does not match)");
            }
        }
        std::cerr << "skerrow-match: resuming the series in " << folder << " (seed " << setup.seed
                  << "): " << setup.done.size() << " games already played\n";
    } else {
        setup.options = parsed.options;
        if (parsed.options.seed) {
            setup.seed = *parsed.options.seed;
        } else {
            std::random_device entropy;
            setup.seed = (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
            std::cerr << "skerrow-match: series seed " << setup.seed << " (--seed " << setup.seed
                      << " plays the same deliveries again)\n";
        }
        setup.recordsFolder = parsed.options.records;
        if (!setup.recordsFolder.empty()) {
            std::error_code failure;
            fs::create_directories(setup.recordsFolder, failure);
            if (failure) {
                return Fail("cannot create " + setup.recordsFolder + ": " + failure.message());
            }
            if (fs::exists(fs::path(setup.recordsFolder) / "series.json")) {
                return Fail(setup.recordsFolder +
                            " already holds a series; --resume it, or choose another folder");
            }
            if (!WriteSeriesFile(setup.recordsFolder, {arguments, setup.seed}, error)) {
                return Fail(error);
            }
        }
    }
    setup.logFolder = setup.recordsFolder.empty() ? std::string("skerrow-match-logs")
                                                  : setup.recordsFolder + "/logs";
    std::error_code failure;
    fs::create_directories(setup.logFolder, failure);
    if (failure) {
        return Fail("cannot create " + setup.logFolder + ": " + failure.message());
    }
    if (setup.recordsFolder.empty()) {
        std::cerr << "skerrow-match: the engines' standard error goes to " << setup.logFolder
                  << "/NAME.log\n";
    }

    const auto start = std::chrono::steady_clock::now();
    const bool terminal = SKERROW_ISATTY(SKERROW_FILENO(stderr)) != 0;
    const SeriesRun run = PlaySeries(setup, stderr, terminal);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const bool shard = setup.options.shard.has_value();
    const SeriesReport report = MakeReport(run.outcomes, EngineOrder(setup.options),
                                           shard ? std::nullopt : setup.options.sprt);
    std::map<std::string, std::string> extra = {
        {"seed", std::to_string(setup.seed)},
        {"seconds", std::to_string(seconds)},
        {"totalGames", std::to_string(run.totalGames)},
        {"stopped", run.stopped.empty() ? "null" : Quoted(run.stopped)}};
    if (shard) {
        extra["shard"] = Quoted(std::to_string(setup.options.shard->index) + "/" +
                                std::to_string(setup.options.shard->count));
    }
    if (!run.stopped.empty()) {
        std::cerr << "skerrow-match: stopped: " << run.stopped << '\n';
    }
    return Conclude(report, extra, setup.options, setup.recordsFolder, run.failed ? 1 : 0);
}
