#include "series_plan.h"

#include "delivery_seed.h"

#include <charconv>

namespace skerrow::match_runner {

std::vector<Pairing> Pairings(int engines, bool gauntlet) {
    std::vector<Pairing> pairings;
    for (int first = 0; first < (gauntlet ? 1 : engines); ++first) {
        for (int second = first + 1; second < engines; ++second) {
            pairings.push_back({first, second});
        }
    }
    return pairings;
}

std::optional<Shard> ParseShard(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    Shard shard;
    const std::string_view index = text.substr(0, slash);
    const std::string_view count = text.substr(slash + 1);
    const auto read = [](std::string_view digits, int& value) {
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return !digits.empty() && digits.front() != '-' && result.ec == std::errc() &&
               result.ptr == digits.data() + digits.size();
    };
    if (!read(index, shard.index) || !read(count, shard.count) || shard.index < 1 ||
        shard.index > shard.count) {
        return std::nullopt;
    }
    return shard;
}

std::uint64_t PairSeed(std::uint64_t seriesSeed, int pair) {
    return MixSeed(seriesSeed, static_cast<std::uint64_t>(pair));
}

std::vector<ScheduledGame> Schedule(const std::vector<Pairing>& pairings, int pairsPerPairing,
                                    std::uint64_t seriesSeed, const std::optional<Shard>& shard) {
    std::vector<ScheduledGame> games;
    const int count = static_cast<int>(pairings.size());
    for (int round = 0; round < pairsPerPairing; ++round) {
        for (int index = 0; index < count; ++index) {
            const int pair = round * count + index;
            if (shard && pair % shard->count != shard->index - 1) {
                continue;
            }
            const Pairing& pairing = pairings[index];
            for (int leg = 0; leg < 2; ++leg) {
                ScheduledGame game;
                game.number = 2 * pair + leg + 1;
                game.pair = pair;
                game.leg = leg;
                game.pairing = index;
                game.red = leg == 0 ? pairing.first : pairing.second;
                game.yellow = leg == 0 ? pairing.second : pairing.first;
                game.seed = PairSeed(seriesSeed, pair);
                games.push_back(game);
            }
        }
    }
    return games;
}

} // namespace skerrow::match_runner
