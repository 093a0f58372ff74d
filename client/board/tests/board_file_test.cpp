#include "board_file.h"
#include "game_record_reader.h"
#include "match_log_reader.h"
#include "match_numbers.h"
#include "position_file.h"
#include "refereed_game.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <variant>

namespace skerrow {
namespace {

const BoardPhysics kPhysics{&Simulation, &CreateShot, &CreateHitShot};

OpenedBoardFile Opened(std::string_view text, const BoardPhysics& physics = kPhysics) {
    std::variant<OpenedBoardFile, BoardFileError> opened = OpenBoardFile(text, "f", physics);
    if (const auto* error = std::get_if<BoardFileError>(&opened)) {
        ADD_FAILURE() << error->Text();
        return {};
    }
    return std::get<OpenedBoardFile>(std::move(opened));
}

TEST(BoardFile, MatchLogGivesTheGameTheRecordHolds) {
    const testing::RefereedGame game = testing::PlayRefereedGame(2);
    const OpenedBoardFile fromLog = Opened(game.log);
    const OpenedBoardFile fromRecord = Opened(game.record);
    EXPECT_EQ(fromLog.kind, OpenedBoardFile::Kind::MatchLog);
    EXPECT_EQ(fromRecord.kind, OpenedBoardFile::Kind::GameRecord);
    const GameHistory& log = fromLog.history;
    const GameHistory& record = fromRecord.history;
    ASSERT_EQ(log.shotCount(), record.shotCount());
    EXPECT_EQ(log.NameOf(kRed), "Alice");
    EXPECT_EQ(log.NameOf(kYellow), "Bob");
    EXPECT_TRUE(log.result().has_value());
    for (std::size_t i = 0; i < log.shotCount(); ++i) {
        const HistoryShot& a = log.shotAt(i);
        const HistoryShot& b = record.shotAt(i);
        EXPECT_EQ(a.end, b.end);
        EXPECT_EQ(a.shot, b.shot);
        EXPECT_EQ(a.colour, b.colour);
        EXPECT_EQ(a.endScore, b.endScore);
        EXPECT_EQ(a.played.vx, b.played.vx);
        // Seat 0 (Alice, red in the first game) logs its engine's answers.
        EXPECT_EQ(a.asked.has_value(), a.colour == kRed) << i;
        if (a.asked) {
            EXPECT_EQ(a.asked->vy, b.asked->vy);
        }
        // Positions the server sent are the record's to the digit; an end's
        // last stone, which the log lacks, is replayed from the delivery
        // as the server wrote it (six decimals), so lies within millimetres.
        const float tolerance = a.shot == kStonesPerEnd - 1 ? 0.005f : 0.0f;
        for (int s = 0; s < kStonesPerEnd; ++s) {
            EXPECT_NEAR(a.after.stones[s].x, b.after.stones[s].x, tolerance) << i << ' ' << s;
            EXPECT_NEAR(a.after.stones[s].y, b.after.stones[s].y, tolerance) << i << ' ' << s;
        }
        EXPECT_EQ(a.after.shotNumber, b.after.shotNumber);
        EXPECT_EQ(a.after.currentEnd, b.after.currentEnd);
    }

    // Without the physics library the scored end cannot be rebuilt.
    std::variant<OpenedBoardFile, BoardFileError> noPhysics =
        OpenBoardFile(game.log, "f.log", BoardPhysics{});
    ASSERT_TRUE(std::holds_alternative<BoardFileError>(noPhysics));
    EXPECT_NE(std::get<BoardFileError>(noPhysics).what.find("physics"), std::string::npos);
}

TEST(BoardFile, PositionFileOpensAsAHistoryWithoutShots) {
    GameState position = EmptySheet(8);
    position.stones[3] = {2.0f, 5.0f};
    const OpenedBoardFile opened = Opened(SavePosition(position));
    EXPECT_EQ(opened.kind, OpenedBoardFile::Kind::Position);
    EXPECT_EQ(opened.history.shotCount(), 0u);
    EXPECT_EQ(SavePosition(opened.history.view()), SavePosition(position));
}

struct BadFile {
    std::string text;
    int line;
    const char* what;
};

TEST(BoardFile, MalformedFilesAreRefusedWithTheirLine) {
    const std::string newGame =
        R"({"t":0,"event":"newgame","game":1,"red":"A","yellow":"B","ends":2})"
        "\n";
    const std::string shortStones =
        R"({"t":1,"event":"position","end":0,"shot":0,"turn":"red","stones":[1,2]})";
    const std::string shotWithoutPosition =
        R"({"t":1,"event":"shot","side":"red","end":0,"shot":0,"reason":"answer",)"
        R"("asked":null,"played":{"vx":0,"vy":-2,"curl":0},"stones":[]})";
    const std::string logStart = "Server: NEWGAME A B\nServer: ISREADY\n";
    const BadFile files[] = {
        {"", 0, "no position file"},
        {"\x01\x02\xff garbage\n", 0, "no position file"},
        {"{\"event\":\"position\"}\n", 1, "newgame"},
        {(newGame + "\n" + shortStones + "\n").c_str(), 3, "\"stones\""},
        {(newGame + shotWithoutPosition + "\n").c_str(), 2, "follows no position"},
        {(newGame + "{not json\n").c_str(), 2, "no JSON object"},
        {(newGame + newGame).c_str(), 2, "second game"},
        {(logStart + "garbage\n").c_str(), 3, "neither"},
        {(logStart + "Server: SETSTATE 1 2\n").c_str(), 3, "SETSTATE lacks word 3"},
        {(logStart + "Server: SETSTATE 0 0 10 7\n").c_str(), 3, "out of range"},
        {(logStart + "Server: SCORE 1\n").c_str(), 3, "before any stone"},
        {"Client: READYOK\nServer: POSITION 1 2\n", 2, "NEWGAME"},
        {"{\"format\":\"skerrow position\",\"version\":2}", 0, "version"},
        {"{\"format\":\"skerrow position\",\"version\":1,\n\"ends\":10,", 2, "no valid JSON"},
    };
    for (const BadFile& file : files) {
        std::variant<OpenedBoardFile, BoardFileError> opened =
            OpenBoardFile(file.text, "bad.txt", kPhysics);
        ASSERT_TRUE(std::holds_alternative<BoardFileError>(opened)) << file.text;
        const BoardFileError& error = std::get<BoardFileError>(opened);
        EXPECT_EQ(error.file, "bad.txt");
        EXPECT_EQ(error.line, file.line) << file.text << " -> " << error.Text();
        EXPECT_NE(error.what.find(file.what), std::string::npos) << error.Text();
    }
}

TEST(BoardFile, CutAndScrambledFilesNeverCrash) {
    const testing::RefereedGame game = testing::PlayRefereedGame(1);
    std::mt19937 random(7);
    for (const std::string& whole : {game.record, game.log}) {
        for (std::size_t cut = 0; cut < whole.size(); cut += 61) {
            std::string text = whole.substr(0, cut);
            (void)OpenBoardFile(text, "cut", kPhysics);
            if (!text.empty()) {
                text[random() % text.size()] = static_cast<char>(random());
                (void)OpenBoardFile(text, "scrambled", kPhysics);
            }
        }
    }
}

} // namespace
} // namespace skerrow
