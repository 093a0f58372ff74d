#include "series_options.h"

#include "match_numbers.h"
#include "series_statistics.h"

#include <charconv>
#include <cmath>
#include <set>

namespace skerrow::match_runner {

const char* const kSeriesUsage =
    "Usage: skerrow-match [OPTIONS] --engine NAME=N CMD=PROGRAM [ARGS...]\n"
    "                               --engine NAME=N CMD=PROGRAM [ARGS...] ... [-- OPTIONS]\n"
    "       skerrow-match --resume FOLDER [--concurrency C]\n"
    "       skerrow-match --merge FOLDER... [--sprt ...] [--json]\n"
    "\n"
    "Plays a series of game pairs between engine programs, refereed as the match\n"
    "server referees them. Both games of a pair use the same delivery errors,\n"
    "colours swapped. An engine's arguments run up to the next --engine or a lone\n"
    "'--'; put skerrow-match's options before the first --engine or after '--'.\n"
    "\n"
    "  --engine NAME=N CMD=P [ARGS]  an engine: its name (letters, digits, '-',\n"
    "                       '_'), its program and arguments; two or more\n"
    "  --gauntlet           the first engine against each other one (default with\n"
    "                       more than two: every engine against every other)\n"
    "  --games N            game pairs per pair of engines (default 10)\n"
    "  --ends E             ends per game, 1 to 10 (default 10)\n"
    "  --random R           delivery error in metres at the tee (default 0.1)\n"
    "  --time SECONDS       each side's thinking time for a game (default 300)\n"
    "  --shot-time MS       a limit per stone instead: a late answer costs that\n"
    "                       stone only\n"
    "  --concurrency C      games at once (default 1); each has its own engines\n"
    "  --sprt elo0=A elo1=B [alpha=0.05] [beta=0.05]\n"
    "                       stop when the pentanomial log-likelihood ratio of the\n"
    "                       pairs crosses a bound (two engines; logistic Elo)\n"
    "  --records FOLDER     one record per game (the server's format), the\n"
    "                       engines' logs, series.json and the summary\n"
    "  --resume FOLDER      go on with the series recorded in FOLDER\n"
    "  --seed N             seed of the delivery errors (default: drawn, printed)\n"
    "  --shard I/N          play only shard I of N (pairs p with p mod N = I-1)\n"
    "  --merge FOLDER...    report on the records of the shards in the folders\n"
    "  --json               print the summary as JSON instead of a table\n"
    "\n"
    "Exit status: 0 when the series is played (or the SPRT decided); 1 when it\n"
    "stopped early (an engine that keeps crashing, records that cannot be\n"
    "written); 2 for a bad command line.\n";

namespace {

template <typename Number> bool ReadNumber(std::string_view text, Number& value) {
    if (text.empty() || text.front() == '+' ||
        (std::is_unsigned_v<Number> && text.front() == '-')) {
        return false;
    }
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ValidName(std::string_view name) {
    if (name.empty() || name.size() > 32) {
        return false;
    }
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

class Reader {
public:
    explicit Reader(const std::vector<std::string>& words) : m_words(words) {}

    std::string Parse(SeriesOptions& options) {
        while (m_at < m_words.size()) {
            const std::string& word = m_words[m_at++];
            if (word == "--") {
                continue;
            }
            std::string error = Option(word, options);
            if (!error.empty()) {
                return error;
            }
        }
        return Check(options);
    }

private:
    // The word after an option, unless it is the next option.
    std::optional<std::string> Value() {
        if (m_at >= m_words.size() || StartsWith(m_words[m_at], "--")) {
            return std::nullopt;
        }
        return m_words[m_at++];
    }

    std::string Option(const std::string& word, SeriesOptions& options) {
        if (word == "--help" || word == "-h") {
            options.help = true;
            return {};
        }
        if (word == "--json") {
            options.json = true;
            return {};
        }
        if (word == "--gauntlet") {
            options.gauntlet = true;
            return {};
        }
        if (word == "--engine") {
            return Engine(options);
        }
        if (word == "--sprt") {
            return Sprt(options);
        }
        if (word == "--merge") {
            while (m_at < m_words.size() && !StartsWith(m_words[m_at], "--")) {
                options.merge.push_back(m_words[m_at++]);
            }
            return options.merge.empty() ? "--merge needs one folder or more" : "";
        }
        const std::optional<std::string> value = Value();
        const auto bad = [&](const std::string& what) {
            return word + " needs " + what + ", not '" + value.value_or("") + "'";
        };
        if (!value) {
            return word == "--games" || word == "--ends" || word == "--random" ||
                           word == "--time" || word == "--shot-time" || word == "--concurrency" ||
                           word == "--records" || word == "--resume" || word == "--seed" ||
                           word == "--shard"
                       ? word + " needs a value"
                       : "unknown option '" + word + "'";
        }
        if (word == "--games") {
            return ReadNumber(*value, options.pairs) && options.pairs > 0
                       ? ""
                       : bad("a number of game pairs above 0");
        }
        if (word == "--ends") {
            return ReadNumber(*value, options.ends) && options.ends >= 1 && options.ends <= kEnds
                       ? ""
                       : bad("a whole number from 1 to 10");
        }
        if (word == "--random") {
            return ReadNumber(*value, options.randomSize) && options.randomSize >= 0.0f &&
                           options.randomSize <= 10.0f
                       ? ""
                       : bad("a number of metres from 0 to 10");
        }
        if (word == "--time") {
            double seconds = 0.0;
            if (!ReadNumber(*value, seconds) || !(seconds > 0.0) || seconds > 86400.0 * 7) {
                return bad("a number of seconds above 0");
            }
            options.timeMs = std::max<std::int64_t>(1, std::llround(seconds * 1000.0));
            return {};
        }
        if (word == "--shot-time") {
            std::int64_t ms = 0;
            if (!ReadNumber(*value, ms) || ms <= 0 || ms > 86400000) {
                return bad("a number of milliseconds above 0");
            }
            options.shotMs = ms;
            return {};
        }
        if (word == "--concurrency") {
            return ReadNumber(*value, options.concurrency) && options.concurrency >= 1 &&
                           options.concurrency <= 256
                       ? ""
                       : bad("a whole number from 1 to 256");
        }
        if (word == "--records" || word == "--resume") {
            (word == "--records" ? options.records : options.resume) = *value;
            return value->empty() ? word + " needs a folder" : "";
        }
        if (word == "--seed") {
            std::uint64_t seed = 0;
            if (!ReadNumber(*value, seed)) {
                return bad("a whole number from 0 to 18446744073709551615");
            }
            options.seed = seed;
            return {};
        }
        if (word == "--shard") {
            options.shard = ParseShard(*value);
            return options.shard ? "" : bad("I/N with 1 <= I <= N");
        }
        return "unknown option '" + word + "'";
    }

    std::string Engine(SeriesOptions& options) {
        EngineEntry engine;
        bool inCommand = false;
        while (m_at < m_words.size() && m_words[m_at] != "--engine" && m_words[m_at] != "--") {
            const std::string& word = m_words[m_at++];
            if (inCommand) {
                engine.command.push_back(word);
            } else if (StartsWith(word, "NAME=") && engine.name.empty()) {
                engine.name = word.substr(5);
            } else if (StartsWith(word, "CMD=")) {
                engine.command.push_back(word.substr(4));
                inCommand = true;
            } else {
                return "--engine takes NAME=... CMD=... [ARGS...], not '" + word + "'";
            }
        }
        if (!ValidName(engine.name)) {
            return "--engine needs NAME= with 1 to 32 letters, digits, '-' or '_'" +
                   (engine.name.empty() ? std::string() : ", not '" + engine.name + "'");
        }
        if (engine.command.empty() || engine.command.front().empty()) {
            return "--engine " + engine.name + " needs CMD=PROGRAM";
        }
        options.engines.push_back(std::move(engine));
        return {};
    }

    std::string Sprt(SeriesOptions& options) {
        SprtOptions sprt;
        std::set<std::string> given;
        while (m_at < m_words.size() && m_words[m_at].find('=') != std::string::npos &&
               !StartsWith(m_words[m_at], "--")) {
            const std::string& word = m_words[m_at++];
            const std::string key = word.substr(0, word.find('='));
            const std::string text = word.substr(word.find('=') + 1);
            double* target = key == "elo0"    ? &sprt.elo0
                             : key == "elo1"  ? &sprt.elo1
                             : key == "alpha" ? &sprt.alpha
                             : key == "beta"  ? &sprt.beta
                                              : nullptr;
            if (target == nullptr || !ReadNumber(text, *target) || !given.insert(key).second) {
                return "--sprt takes elo0=A elo1=B alpha=P beta=P, not '" + word + "'";
            }
        }
        if (!given.count("elo0") || !given.count("elo1")) {
            return "--sprt needs elo0= and elo1=";
        }
        const std::string fault =
            series::SprtParameterError(sprt.elo0, sprt.elo1, sprt.alpha, sprt.beta);
        if (!fault.empty()) {
            return "--sprt: " + fault;
        }
        options.sprt = sprt;
        return {};
    }

    std::string Check(const SeriesOptions& options) {
        if (options.help) {
            return {};
        }
        if (!options.merge.empty()) {
            return options.engines.empty() && options.resume.empty()
                       ? ""
                       : "--merge takes no engines and no --resume";
        }
        if (!options.resume.empty()) {
            return options.engines.empty() ? "" : "--resume takes no engines: the series has them";
        }
        if (options.engines.size() < 2) {
            return "a series needs two engines or more (--engine NAME=... CMD=...)";
        }
        std::set<std::string> names;
        for (const EngineEntry& engine : options.engines) {
            if (!names.insert(engine.name).second) {
                return "two engines are named '" + engine.name + "'";
            }
        }
        if (options.sprt && options.engines.size() != 2) {
            return "--sprt compares two engines, not " + std::to_string(options.engines.size());
        }
        return {};
    }

    const std::vector<std::string>& m_words;
    std::size_t m_at = 0;
};

} // namespace

SeriesParseResult ParseSeriesOptions(const std::vector<std::string>& arguments) {
    SeriesParseResult result;
    result.error = Reader(arguments).Parse(result.options);
    return result;
}

} // namespace skerrow::match_runner
