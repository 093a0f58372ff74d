#include "series_report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace skerrow::match_runner {

namespace {

using Json = nlohmann::json;

struct PairingTotals {
    PairingReport report;
    std::array<std::int64_t, 2> thinkingMs{};
    std::array<std::int64_t, 2> answers{};
    // The first engine's points in each leg of a pair, by pair.
    std::map<int, std::array<std::optional<double>, 2>> legs;
};

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* DecisionName(series::SprtDecision decision) {
    switch (decision) {
    case series::SprtDecision::AcceptH0:
        return "H0";
    case series::SprtDecision::AcceptH1:
        return "H1";
    case series::SprtDecision::Continue:
        break;
    }
    return "continue";
}

Json Number(double value) {
    // JSON has no infinities: an Elo of a one-sided result is written as a
    // string ("+inf", "-inf").
    return std::isfinite(value) ? Json(value) : Json(series::FormatElo(value));
}

} // namespace

SeriesReport MakeReport(const std::map<int, GameOutcome>& outcomes,
                        const std::vector<std::string>& order,
                        const std::optional<SprtOptions>& sprt) {
    std::map<std::pair<std::string, std::string>, PairingTotals> byPairing;
    SeriesReport report;
    for (const auto& [number, game] : outcomes) {
        ++report.games;
        const int leg = LegOfGame(number);
        // In leg 0 the first engine is red.
        const int firstColour = leg == 0 ? 0 : 1;
        const std::string& first = game.names[firstColour];
        const std::string& second = game.names[1 - firstColour];
        PairingTotals& totals = byPairing[{first, second}];
        PairingReport& row = totals.report;
        row.first = first;
        row.second = second;
        double score = 0.5;
        if (game.winner) {
            score = *game.winner == firstColour ? 1.0 : 0.0;
        }
        (score == 1.0 ? row.games.wins : score == 0.0 ? row.games.losses : row.games.draws) += 1;
        for (int side = 0; side < 2; ++side) {
            const int colour = side == 0 ? firstColour : 1 - firstColour;
            row.points[side] += game.points[colour];
            row.forfeits[side] += game.forfeited[colour] ? 1 : 0;
            totals.thinkingMs[side] += game.thinkingMs[colour];
            totals.answers[side] += game.answers[colour];
        }
        totals.legs[PairOfGame(number)][leg] = score;
    }
    for (auto& [names, totals] : byPairing) {
        PairingReport& row = totals.report;
        for (const auto& [pair, legs] : totals.legs) {
            if (legs[0] && legs[1]) {
                row.pairs.AddPair(*legs[0] + *legs[1]);
                ++report.pairs;
            }
        }
        row.elo = row.pairs.Pairs() > 0 ? series::EloFromPairs(row.pairs)
                                        : series::EloFromGames(row.games);
        row.los = series::LikelihoodOfSuperiority(row.games);
        for (int side = 0; side < 2; ++side) {
            if (totals.answers[side] > 0) {
                row.msPerStone[side] = static_cast<double>(totals.thinkingMs[side]) /
                                       static_cast<double>(totals.answers[side]);
            }
        }
        report.pairings.push_back(row);
    }
    const auto rank = [&](const std::string& name) {
        return std::find(order.begin(), order.end(), name) - order.begin();
    };
    std::sort(report.pairings.begin(), report.pairings.end(),
              [&](const PairingReport& a, const PairingReport& b) {
                  return std::pair(rank(a.first), rank(a.second)) <
                         std::pair(rank(b.first), rank(b.second));
              });
    if (sprt) {
        SprtState state;
        state.options = *sprt;
        state.bounds = series::SprtBoundsFor(sprt->alpha, sprt->beta);
        if (!report.pairings.empty()) {
            state.llr =
                series::PentanomialLlr(report.pairings.front().pairs, sprt->elo0, sprt->elo1);
        }
        state.decision = series::Decide(state.llr, state.bounds);
        report.sprt = state;
    }
    return report;
}

std::string ProgressLine(const SeriesReport& report, std::int64_t totalGames) {
    std::string line = "games " + std::to_string(report.games) + "/" + std::to_string(totalGames);
    for (const PairingReport& row : report.pairings) {
        if (report.pairings.size() > 1) {
            line += "  " + row.first + "-" + row.second + ":";
        }
        line += "  W-L-D " + std::to_string(row.games.wins) + "-" +
                std::to_string(row.games.losses) + "-" + std::to_string(row.games.draws);
        line += "  Elo " + series::FormatInterval(row.elo);
        if (report.pairings.size() > 2) {
            break; // the rest is in the table at the end
        }
    }
    if (report.sprt) {
        line += "  LLR " + Fixed(report.sprt->llr, 2) + " [" + Fixed(report.sprt->bounds.lower, 2) +
                ", " + Fixed(report.sprt->bounds.upper, 2) + "]";
    }
    return line;
}

std::string ReportTable(const SeriesReport& report) {
    std::string table;
    char line[512];
    std::snprintf(line, sizeof line, "%-29s %6s %-13s %-13s %-28s %6s  %-24s %s\n", "Engines",
                  "Games", "W-L-D", "Points", "Elo [95%]", "LOS", "Pairs 0/0.5/1/1.5/2",
                  "ms/stone");
    table += line;
    for (const PairingReport& row : report.pairings) {
        std::string pentanomial;
        for (std::size_t i = 0; i < row.pairs.counts.size(); ++i) {
            pentanomial += (i > 0 ? "/" : "") + std::to_string(row.pairs.counts[i]);
        }
        const auto ms = [](const std::optional<double>& value) {
            return value ? Fixed(*value, 1) : std::string("-");
        };
        const std::string wld = std::to_string(row.games.wins) + "-" +
                                std::to_string(row.games.losses) + "-" +
                                std::to_string(row.games.draws);
        const std::string points =
            std::to_string(row.points[0]) + "-" + std::to_string(row.points[1]);
        std::snprintf(line, sizeof line, "%-29s %6lld %-13s %-13s %-28s %5.1f%%  %-24s %s / %s\n",
                      (row.first + " vs " + row.second).c_str(),
                      static_cast<long long>(row.games.Games()), wld.c_str(), points.c_str(),
                      series::FormatInterval(row.elo).c_str(), row.los * 100.0, pentanomial.c_str(),
                      ms(row.msPerStone[0]).c_str(), ms(row.msPerStone[1]).c_str());
        table += line;
        if (row.forfeits[0] + row.forfeits[1] > 0) {
            table += "  forfeits: " + row.first + " " + std::to_string(row.forfeits[0]) + ", " +
                     row.second + " " + std::to_string(row.forfeits[1]) + "\n";
        }
    }
    if (report.sprt) {
        const SprtState& sprt = *report.sprt;
        table += "SPRT elo0=" + Fixed(sprt.options.elo0, 1) +
                 " elo1=" + Fixed(sprt.options.elo1, 1) + " alpha=" + Fixed(sprt.options.alpha, 3) +
                 " beta=" + Fixed(sprt.options.beta, 3) + ": LLR " + Fixed(sprt.llr, 2) + " [" +
                 Fixed(sprt.bounds.lower, 2) + ", " + Fixed(sprt.bounds.upper, 2) + "], " +
                 (sprt.decision == series::SprtDecision::Continue
                      ? std::string("no decision yet")
                      : std::string("accepts ") + DecisionName(sprt.decision)) +
                 "\n";
    }
    return table;
}

std::string ReportJson(const SeriesReport& report,
                       const std::map<std::string, std::string>& extra) {
    Json json = Json::object();
    for (const auto& [key, value] : extra) {
        json[key] = Json::parse(value, nullptr, false);
    }
    json["games"] = report.games;
    json["pairs"] = report.pairs;
    Json rows = Json::array();
    for (const PairingReport& row : report.pairings) {
        Json ms = Json::array();
        for (const std::optional<double>& value : row.msPerStone) {
            ms.push_back(value ? Json(*value) : Json(nullptr));
        }
        rows.push_back({{"first", row.first},
                        {"second", row.second},
                        {"games", row.games.Games()},
                        {"wins", row.games.wins},
                        {"losses", row.games.losses},
                        {"draws", row.games.draws},
                        {"points", {row.points[0], row.points[1]}},
                        {"elo", Number(row.elo.value)},
                        {"eloLower", Number(row.elo.lower)},
                        {"eloUpper", Number(row.elo.upper)},
                        {"los", row.los},
                        {"pentanomial", row.pairs.counts},
                        {"forfeits", row.forfeits},
                        {"msPerStone", ms}});
    }
    json["pairings"] = rows;
    if (report.sprt) {
        const SprtState& sprt = *report.sprt;
        json["sprt"] = {{"elo0", sprt.options.elo0},
                        {"elo1", sprt.options.elo1},
                        {"alpha", sprt.options.alpha},
                        {"beta", sprt.options.beta},
                        {"llr", sprt.llr},
                        {"lower", sprt.bounds.lower},
                        {"upper", sprt.bounds.upper},
                        {"decision", DecisionName(sprt.decision)}};
    }
    return json.dump(2) + "\n";
}

} // namespace skerrow::match_runner
