// skerrow-match's command line: engines with options of any name, the SPRT's
// words, what --resume and --merge take, and clear errors.
#include "series_options.h"

#include <gtest/gtest.h>

using namespace skerrow::match_runner;

namespace {

SeriesParseResult Parse(std::vector<std::string> words) {
    return ParseSeriesOptions(words);
}

TEST(SeriesOptions, EngineWordsRunToTheNextEngineOrADoubleDash) {
    const SeriesParseResult result =
        Parse({"--games", "7", "--engine", "NAME=new", "CMD=sample-engine", "--seed", "2",
               "--plain", "--engine", "NAME=old", "CMD=/bin/old engine", "--", "--seed", "9",
               "--concurrency", "3", "--shard", "2/5", "--json"});
    ASSERT_EQ(result.error, "");
    const SeriesOptions& options = result.options;
    ASSERT_EQ(options.engines.size(), 2u);
    EXPECT_EQ(options.engines[0].name, "new");
    EXPECT_EQ(options.engines[0].command,
              (std::vector<std::string>{"sample-engine", "--seed", "2", "--plain"}));
    EXPECT_EQ(options.engines[1].command, (std::vector<std::string>{"/bin/old engine"}));
    EXPECT_EQ(options.pairs, 7);
    EXPECT_EQ(options.seed, 9u);
    EXPECT_EQ(options.concurrency, 3);
    ASSERT_TRUE(options.shard);
    EXPECT_EQ(options.shard->index, 2);
    EXPECT_EQ(options.shard->count, 5);
    EXPECT_TRUE(options.json);
}

TEST(SeriesOptions, ReadsTheSprtAndTheTimes) {
    const SeriesParseResult result =
        Parse({"--sprt", "elo0=0", "elo1=10", "beta=0.1", "--time", "2.5", "--shot-time", "150",
               "--engine", "NAME=a", "CMD=x", "--engine", "NAME=b", "CMD=y"});
    ASSERT_EQ(result.error, "");
    ASSERT_TRUE(result.options.sprt);
    EXPECT_EQ(result.options.sprt->elo1, 10.0);
    EXPECT_EQ(result.options.sprt->alpha, 0.05);
    EXPECT_EQ(result.options.sprt->beta, 0.1);
    EXPECT_EQ(result.options.timeMs, 2500);
    EXPECT_EQ(result.options.shotMs, 150);
}

TEST(SeriesOptions, MergeAndResumeTakeTheirFolders) {
    const SeriesParseResult merge = Parse({"--merge", "a", "b", "--json"});
    ASSERT_EQ(merge.error, "");
    EXPECT_EQ(merge.options.merge, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(merge.options.json);
    EXPECT_EQ(Parse({"--resume", "dir", "--concurrency", "4"}).error, "");
    EXPECT_NE(Parse({"--resume", "dir", "--engine", "NAME=a", "CMD=x"}).error, "");
}

TEST(SeriesOptions, RefusesWhatCannotMakeASeriesSayingWhat) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--engine", "NAME=a", "CMD=x"}, "two engines"},
        {{"--engine", "NAME=a", "CMD=x", "--engine", "NAME=a", "CMD=y"}, "two engines are named"},
        {{"--engine", "NAME=a b", "CMD=x", "--engine", "NAME=b", "CMD=y"}, "NAME="},
        {{"--engine", "NAME=a", "--engine", "NAME=b", "CMD=y"}, "CMD="},
        {{"--engine", "CMD=x", "NAME=a"}, "NAME="},
        {{"--sprt", "elo0=5", "elo1=0"}, "--sprt"},
        {{"--sprt", "elo1=5"}, "elo0"},
        {{"--sprt", "elo0=0", "elo1=5", "alpha=1"}, "--sprt"},
        {{"--games", "0"}, "--games"},
        {{"--ends", "11"}, "--ends"},
        {{"--seed", "-1"}, "--seed"},
        {{"--shard", "3/2"}, "--shard"},
        {{"--shard", "0/2"}, "--shard"},
        {{"--time", "nan"}, "--time"},
        {{"--concurrency"}, "needs a value"},
        {{"--colour", "red"}, "unknown option '--colour'"},
    };
    for (const auto& [words, named] : cases) {
        std::vector<std::string> full = words;
        if (words.front() != "--engine" && words.front().rfind("--sprt", 0) != 0) {
            for (const char* word :
                 {"--engine", "NAME=a", "CMD=x", "--engine", "NAME=b", "CMD=y"}) {
                full.push_back(word);
            }
        }
        const std::string error = Parse(full).error;
        EXPECT_NE(error.find(named), std::string::npos) << words.front() << ": " << error;
    }
    const std::string threeWithSprt =
        Parse({"--sprt", "elo0=0", "elo1=5", "--engine", "NAME=a", "CMD=x", "--engine", "NAME=b",
               "CMD=y", "--engine", "NAME=c", "CMD=z"})
            .error;
    EXPECT_NE(threeWithSprt.find("two engines"), std::string::npos) << threeWithSprt;
}

} // namespace
