// Reading a series back from disk: a record's outcome, unfinished records,
// file names, two records of one game, and series.json.
#include "series_records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace skerrow::match_runner;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Record(const std::string& winner, bool redForfeited = false) {
    return {
        R"({"t":0,"event":"newgame","game":1,"red":"a","yellow":"b","ends":1,"random":0.1,"thinkingMs":1000,"seed":18446744073709551615})",
        R"({"t":1,"event":"answer","side":"red","text":"BESTSHOT 0 1 0","thinkingMs":40,"remainingMs":960,"valid":true})",
        R"({"t":2,"event":"answer","side":"yellow","text":"x","thinkingMs":10,"remainingMs":990,"valid":false})",
        R"({"t":3,"event":"answer","side":"red","text":"BESTSHOT 0 1 0","thinkingMs":20,"remainingMs":940,"valid":true})",
        R"({"t":9,"event":"gameover","red":2,"yellow":0,"winner":)" + winner +
            R"(,"redForfeited":)" + (redForfeited ? "true" : "false") +
            R"(,"yellowForfeited":false,"redMs":940,"yellowMs":990,"result":"Game 1: a 2 - 0 b, a wins","redIgnored":0,"yellowIgnored":0})",
    };
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("skerrow-match-records-" +
                    std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }
    void Write(const std::string& name, const std::vector<std::string>& lines) {
        std::ofstream file(m_folder / name);
        for (const std::string& line : lines) {
            file << line << '\n';
        }
    }
    fs::path m_folder;
};

TEST(SeriesRecords, ReadsAGamesOutcomeAndTimesFromItsRecord) {
    const std::optional<GameOutcome> outcome = ReadGameRecord(Record(R"("red")"), 5);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->number, 5);
    EXPECT_EQ(outcome->names[0], "a");
    EXPECT_EQ(outcome->points[0], 2);
    EXPECT_EQ(outcome->winner, 0);
    EXPECT_EQ(outcome->seed, 18446744073709551615ULL);
    EXPECT_EQ(outcome->thinkingMs[0], 60);
    EXPECT_EQ(outcome->answers[0], 2);
    EXPECT_EQ(outcome->answers[1], 1);
    EXPECT_FALSE(ReadGameRecord(Record("null"), 5)->winner);
    EXPECT_TRUE(ReadGameRecord(Record(R"("yellow")", true), 5)->forfeited[0]);

    // A game cut off before its end, or a damaged line, is no outcome.
    std::vector<std::string> cut = Record(R"("red")");
    cut.pop_back();
    EXPECT_FALSE(ReadGameRecord(cut, 5));
    std::vector<std::string> damaged = Record(R"("red")");
    damaged[1] = R"({"t":1,"event":"answer")";
    EXPECT_FALSE(ReadGameRecord(damaged, 5));
}

TEST(SeriesRecords, KnowsAGamesNumberByItsFileName) {
    EXPECT_EQ(GameNumberOfFile("game-12-a-b.jsonl"), 12);
    for (const char* other : {"game-12-a-b.jsonl.part", "game-x-a.jsonl", "game-0-a-b.jsonl",
                              "summary.json", "game-12.jsonl", "game--1-a.jsonl"}) {
        EXPECT_FALSE(GameNumberOfFile(other)) << other;
    }
}

TEST_F(TempFolder, LoadsFinishedGamesOnlyAndRefusesTwoRecordsOfOneGame) {
    Write("game-1-a-b.jsonl", Record(R"("red")"));
    std::vector<std::string> cut = Record(R"("red")");
    cut.pop_back();
    Write("game-2-b-a.jsonl", cut);
    Write("notes.txt", {"not a record"});
    std::string error;
    const std::map<int, GameOutcome> loaded = LoadRecords(m_folder.string(), error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded.begin()->first, 1);

    Write("game-1-x-y.jsonl", Record(R"("red")"));
    EXPECT_TRUE(LoadRecords(m_folder.string(), error).empty());
    EXPECT_NE(error.find("two records of game 1"), std::string::npos) << error;

    error.clear();
    LoadRecords((m_folder / "missing").string(), error);
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

TEST_F(TempFolder, KeepsTheSeriesCommandLineAndSeed) {
    std::string error;
    const SeriesFile written{{"--games", "3", "--engine", "NAME=a b", "CMD=\"x\""},
                             18446744073709551615ULL};
    ASSERT_TRUE(WriteSeriesFile(m_folder.string(), written, error)) << error;
    const std::optional<SeriesFile> read = ReadSeriesFile(m_folder.string(), error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->arguments, written.arguments);
    EXPECT_EQ(read->seed, written.seed);
    EXPECT_FALSE(fs::exists(m_folder / "series.json.part"));

    Write("series.json", {"{\"arguments\": 3}"});
    EXPECT_FALSE(ReadSeriesFile(m_folder.string(), error));
    EXPECT_NE(error.find("damaged"), std::string::npos);
}

} // namespace
