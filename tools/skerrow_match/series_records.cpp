#include "series_records.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace skerrow::match_runner {

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

constexpr const char* kSeriesFileName = "series.json";

int ColourIndex(const Json& side) {
    return side.is_string() && side.get<std::string>() == "yellow" ? 1 : 0;
}

} // namespace

std::optional<GameOutcome> ReadGameRecord(const std::vector<std::string>& lines, int number) {
    GameOutcome outcome;
    outcome.number = number;
    bool begun = false;
    bool over = false;
    for (const std::string& line : lines) {
        const Json event = Json::parse(line, nullptr, false);
        if (event.is_discarded() || !event.is_object()) {
            return std::nullopt;
        }
        const std::string name = event.value("event", "");
        try {
            if (name == "newgame") {
                begun = true;
                outcome.names = {event.at("red").get<std::string>(),
                                 event.at("yellow").get<std::string>()};
                outcome.seed = event.value("seed", std::uint64_t{0});
            } else if (name == "answer") {
                const int colour = ColourIndex(event.at("side"));
                outcome.thinkingMs[colour] += event.at("thinkingMs").get<std::int64_t>();
                ++outcome.answers[colour];
            } else if (name == "gameover") {
                over = true;
                outcome.points = {event.at("red").get<std::int64_t>(),
                                  event.at("yellow").get<std::int64_t>()};
                if (!event.at("winner").is_null()) {
                    outcome.winner = ColourIndex(event.at("winner"));
                }
                outcome.forfeited = {event.at("redForfeited").get<bool>(),
                                     event.at("yellowForfeited").get<bool>()};
                outcome.result = event.value("result", "");
            }
        } catch (const Json::exception&) {
            return std::nullopt;
        }
    }
    if (!begun || !over) {
        return std::nullopt;
    }
    return outcome;
}

std::optional<int> GameNumberOfFile(const std::string& fileName) {
    constexpr std::string_view kPrefix = "game-";
    constexpr std::string_view kSuffix = ".jsonl";
    if (fileName.size() <= kPrefix.size() + kSuffix.size() || fileName.rfind(kPrefix, 0) != 0 ||
        fileName.compare(fileName.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
        return std::nullopt;
    }
    const char* begin = fileName.data() + kPrefix.size();
    const char* end = fileName.data() + fileName.size();
    int number = 0;
    const auto result = std::from_chars(begin, end, number);
    if (result.ec != std::errc() || result.ptr == begin || *result.ptr != '-' || number < 1) {
        return std::nullopt;
    }
    return number;
}

std::map<int, GameOutcome> LoadRecords(const std::string& folder, std::string& error) {
    std::map<int, GameOutcome> outcomes;
    std::map<int, std::string> files;
    std::error_code failure;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, failure)) {
        const std::string name = entry.path().filename().string();
        const std::optional<int> number = GameNumberOfFile(name);
        if (!number || !entry.is_regular_file()) {
            continue;
        }
        std::ifstream file(entry.path());
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            if (!line.empty()) {
                lines.push_back(line);
            }
        }
        const std::optional<GameOutcome> outcome = ReadGameRecord(lines, *number);
        if (!outcome) {
            continue; // unfinished: played again
        }
        if (const auto found = files.find(*number); found != files.end()) {
            error = folder + " holds two records of game " + std::to_string(*number) + ": " +
                    found->second + " and " + name;
            return {};
        }
        files[*number] = name;
        outcomes[*number] = *outcome;
    }
    if (failure) {
        error = "cannot read " + folder + ": " + failure.message();
        return {};
    }
    return outcomes;
}

bool WriteWholeFile(const std::string& folder, const std::string& name, const std::string& text,
                    std::string& error) {
    const fs::path target = fs::path(folder) / name;
    const fs::path part = fs::path(folder) / (name + ".part");
    {
        std::ofstream file(part, std::ios::out | std::ios::trunc | std::ios::binary);
        file << text;
        file.close();
        if (!file) {
            error = "cannot write " + part.string();
            return false;
        }
    }
    std::error_code failure;
    fs::rename(part, target, failure);
    if (failure) {
        error = "cannot write " + target.string() + ": " + failure.message();
        return false;
    }
    return true;
}

bool WriteSeriesFile(const std::string& folder, const SeriesFile& series, std::string& error) {
    const Json json = {{"arguments", series.arguments}, {"seed", series.seed}};
    return WriteWholeFile(folder, kSeriesFileName, json.dump(2) + "\n", error);
}

std::optional<SeriesFile> ReadSeriesFile(const std::string& folder, std::string& error) {
    const fs::path path = fs::path(folder) / kSeriesFileName;
    std::ifstream file(path);
    if (!file) {
        error = "no series in " + folder + " (" + path.string() + " is missing)";
        return std::nullopt;
    }
    const Json json = Json::parse(file, nullptr, false);
    SeriesFile series;
    try {
        series.arguments = json.at("arguments").get<std::vector<std::string>>();
        series.seed = json.at("seed").get<std::uint64_t>();
    } catch (const Json::exception&) {
        error = path.string() + " is damaged";
        return std::nullopt;
    }
    return series;
}

} // namespace skerrow::match_runner
