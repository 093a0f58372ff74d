#include "match_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace skerrow {
namespace {

namespace fs = std::filesystem;

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

MatchLog::Clock FixedClock(const std::tm& time) {
    return [time] { return time; };
}

// Read in text mode, so that a line reads as ending in '\n' on every platform.
std::string ReadText(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        files.push_back(entry.path());
    }
    return files;
}

class MatchLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_base = fs::temp_directory_path() /
                 ("skerrow_match_log_" + std::to_string(random()) + std::to_string(random()));
        ASSERT_TRUE(fs::create_directory(m_base));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_base, ignored);
    }

    fs::path LogFolder() const { return m_base / "Log"; }

    fs::path m_base;
    const std::tm m_time = LocalTime(2024, 3, 5, 7, 8, 9);
};

TEST_F(MatchLogTest, NamesTheFileFromBothPlayersAndTheZeroPaddedLocalTime) {
    struct Case {
        std::tm time;
        const char* expected;
    };
    const Case cases[] = {
        {LocalTime(2024, 3, 5, 7, 8, 9), "Alice - Bob [2024-03-05 070809].log"},
        {LocalTime(1999, 12, 31, 23, 59, 58), "Alice - Bob [1999-12-31 235958].log"},
        {LocalTime(2030, 1, 1, 0, 0, 0), "Alice - Bob [2030-01-01 000000].log"},
    };
    for (const Case& c : cases) {
        MatchLog log(m_base, FixedClock(c.time));
        log.Open("Alice", "Bob");
        ASSERT_TRUE(log.IsOpen()) << c.expected;
        EXPECT_EQ(log.path(), LogFolder() / c.expected);
        EXPECT_TRUE(fs::is_regular_file(LogFolder() / c.expected));
    }
}

TEST_F(MatchLogTest, WithoutAClockTheNameHasTheLocalTimeOfOpening) {
    MatchLog log(m_base);
    const std::time_t before = std::time(nullptr);
    log.Open("Alice", "Bob");
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(log.IsOpen());
    std::vector<std::string> possible;
    for (std::time_t second = before; second <= after; ++second) {
        // The test's own thread is the only one reading the local time here.
        const std::tm local = *std::localtime(&second);
        char name[64];
        std::strftime(name, sizeof name, "Alice - Bob [%Y-%m-%d %H%M%S].log", &local);
        possible.emplace_back(name);
    }
    EXPECT_NE(std::find(possible.begin(), possible.end(), log.path().filename().string()),
              possible.end())
        << log.path().filename().string() << " (opened at " << possible.front() << ")";
}

TEST_F(MatchLogTest, CreatesTheMissingFolderAndWritesTheFirstLineAsGiven) {
    ASSERT_FALSE(fs::exists(LogFolder()));
    MatchLog log(m_base, FixedClock(m_time));
    log.Open("Alice", "Bob");
    ASSERT_TRUE(log.IsOpen());
    EXPECT_TRUE(fs::is_directory(LogFolder()));
    log.WriteLine("Server: ", "NEWGAME Alice Bob");
    const fs::path file = log.path();
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(log.path().empty());
    EXPECT_EQ(ReadText(file), "Server: NEWGAME Alice Bob\n");
}

TEST_F(MatchLogTest, EveryLineIsOnDiskBeforeTheLogCloses) {
    MatchLog log(m_base, FixedClock(m_time));
    log.Open("Alice", "Bob");
    ASSERT_TRUE(log.IsOpen());
    log.WriteLine("Server: ", "NEWGAME Alice Bob");
    EXPECT_EQ(ReadText(log.path()), "Server: NEWGAME Alice Bob\n");
    log.WriteLine("Client: ", "BESTSHOT 0.1 31.5 0");
    EXPECT_EQ(ReadText(log.path()), "Server: NEWGAME Alice Bob\nClient: BESTSHOT 0.1 31.5 0\n");
}

TEST_F(MatchLogTest, OpeningAgainClosesTheOldLogAndStartsANewFile) {
    int second = 0;
    MatchLog log(m_base, [&second] { return LocalTime(2024, 3, 5, 7, 8, second++); });
    log.Open("Alice", "Bob");
    ASSERT_TRUE(log.IsOpen());
    const fs::path first = log.path();
    log.WriteLine("Server: ", "first game");
    log.Open("Carol", "Dave");
    ASSERT_TRUE(log.IsOpen());
    const fs::path next = log.path();
    EXPECT_EQ(next, LogFolder() / "Carol - Dave [2024-03-05 070801].log");
    log.WriteLine("Server: ", "second game");
    log.Close();
    EXPECT_EQ(ReadText(first), "Server: first game\n");
    EXPECT_EQ(ReadText(next), "Server: second game\n");
}

// Two games between the same players in one second, or two clients in one
// folder: no log replaces another; a counter tells them apart.
TEST_F(MatchLogTest, AnExistingLogIsNeverReplaced) {
    const std::string stamp = " [2024-03-05 070809]";
    fs::create_directory(LogFolder());
    std::ofstream(LogFolder() / ("Alice - Bob" + stamp + " (2).log")) << "another client's";

    MatchLog log(m_base, FixedClock(m_time));
    std::vector<fs::path> files;
    for (const char* game : {"first game", "second game", "third game"}) {
        EXPECT_EQ(log.Open("Alice", "Bob"), std::nullopt) << game;
        log.WriteLine("Server: ", game);
        files.push_back(log.path());
    }
    log.Close();
    EXPECT_EQ(files, (std::vector<fs::path>{LogFolder() / ("Alice - Bob" + stamp + ".log"),
                                            LogFolder() / ("Alice - Bob" + stamp + " (3).log"),
                                            LogFolder() / ("Alice - Bob" + stamp + " (4).log")}));
    EXPECT_EQ(ReadText(files[0]), "Server: first game\n");
    EXPECT_EQ(ReadText(files[1]), "Server: second game\n");
    EXPECT_EQ(ReadText(files[2]), "Server: third game\n");
    EXPECT_EQ(ReadText(LogFolder() / ("Alice - Bob" + stamp + " (2).log")), "another client's");
}

// Names far longer than a file name may be are cut in the file name only.
TEST_F(MatchLogTest, LongNamesAreCutInTheFileNameAndKeptWholeInTheLog) {
    const std::string first(130, 'a');
    const std::string second = std::string(63, 'b') + "日本"; // the cut falls inside 日
    MatchLog log(m_base, FixedClock(m_time));
    ASSERT_EQ(log.Open(first, second), std::nullopt);
    const std::string line = "NEWGAME " + first + " " + second;
    log.WriteLine("Server: ", line);
    const std::string expected = std::string(MatchLog::kMaxNameBytesInFileName, 'a') + " - " +
                                 std::string(63, 'b') + " [2024-03-05 070809].log";
    EXPECT_EQ(log.path(), LogFolder() / expected);
    EXPECT_LE(log.path().filename().string().size(), 255U);
    EXPECT_EQ(ReadText(log.path()), "Server: " + line + "\n");
}

TEST_F(MatchLogTest, NamesCannotPlaceTheFileOutsideTheLogFolder) {
    struct Case {
        std::string first;
        std::string second;
        std::string expected;
    };
    const std::string stamp = " [2024-03-05 070809].log";
    const Case cases[] = {
        {"../evil", "Bob", "___evil - Bob" + stamp},
        {"a/b", "c\\d", "a_b - c_d" + stamp},
        {"x\ny", "tab\there", "x_y - tab_here" + stamp},
        {"..", "..", "__ - .." + stamp},
        {".", "b", "_ - b" + stamp},
        {"", "", " - " + stamp},
        {"c:d*e?f", "\"<g>|\x7f", "c_d_e_f - __g___" + stamp},
        {"..\\..\\x", "Bob", "___.._x - Bob" + stamp},
        {"日本", "Bob", "日本 - Bob" + stamp},
    };
    for (const Case& c : cases) {
        fs::remove_all(LogFolder());
        MatchLog log(m_base, FixedClock(m_time));
        log.Open(c.first, c.second);
        ASSERT_TRUE(log.IsOpen()) << c.expected;
        EXPECT_EQ(log.path(),
                  LogFolder() / fs::path(std::u8string(c.expected.begin(), c.expected.end())));
        const std::string line = "NEWGAME " + c.first + " " + c.second;
        log.WriteLine("Server: ", line);
        const fs::path file = log.path();
        log.Close();
        EXPECT_EQ(FilesIn(m_base), std::vector<fs::path>{LogFolder()}) << c.expected;
        EXPECT_EQ(FilesIn(LogFolder()), std::vector<fs::path>{file}) << c.expected;
        EXPECT_EQ(ReadText(file), "Server: " + line + "\n") << c.expected;
    }
}

TEST_F(MatchLogTest, AnOverlongLineIsCutToTheLineBufferKeepingItsNewline) {
    const std::string prefix = "Server: ";
    struct Case {
        std::size_t textBytes;
        std::size_t lineBytes;
    };
    const Case cases[] = {
        {0, 9},
        {1014, 1023}, // exactly fills the buffer
        {1015, 1023}, // one byte too many
        {5000, 1023},
    };
    for (const Case& c : cases) {
        MatchLog log(m_base, FixedClock(m_time));
        log.Open("Alice", "Bob");
        ASSERT_TRUE(log.IsOpen());
        const std::string text(c.textBytes, 'a');
        log.WriteLine(prefix, text);
        log.WriteLine("Client: ", "next");
        const std::string content = ReadText(log.path());
        const std::string expected =
            prefix + text.substr(0, c.lineBytes - 1 - prefix.size()) + "\nClient: next\n";
        EXPECT_EQ(content, expected) << c.textBytes;
        EXPECT_EQ(content.find('\n'), c.lineBytes - 1) << c.textBytes;
    }
}

TEST_F(MatchLogTest, AFolderThatCannotBeCreatedLeavesTheGameWithoutALog) {
    const fs::path notAFolder = m_base / "file";
    std::ofstream(notAFolder) << "in the way";
    MatchLog log(notAFolder, FixedClock(m_time));
    const std::optional<std::string> failure = log.Open("Alice", "Bob");
    ASSERT_TRUE(failure.has_value());
    // It names the file it could not create.
    EXPECT_NE(failure->find("Alice - Bob [2024-03-05 070809].log"), std::string::npos) << *failure;
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(log.path().empty());
    log.WriteLine("Server: ", "NEWGAME Alice Bob");
    log.Close();
    EXPECT_EQ(ReadText(notAFolder), "in the way");
    EXPECT_EQ(FilesIn(m_base), std::vector<fs::path>{notAFolder});
}

TEST_F(MatchLogTest, WritesNothingWhileNoLogIsOpen) {
    MatchLog log(m_base, FixedClock(m_time));
    log.WriteLine("Client: ", "typed before any game");
    log.Close();
    EXPECT_FALSE(fs::exists(LogFolder()));

    log.Open("Alice", "Bob");
    log.WriteLine("Server: ", "GAMEOVER");
    const fs::path file = log.path();
    log.Close();
    log.WriteLine("Server: ", "after the game");
    EXPECT_EQ(ReadText(file), "Server: GAMEOVER\n");
}

} // namespace
} // namespace skerrow
