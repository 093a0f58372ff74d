#include "engine_answer_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace skerrow;

namespace {

using Kind = RelayNotice::Kind;

// One step of a conversation: a server message ("<" first) or an engine line,
// with the notice the line should bring, if any.
struct Step {
    const char* text;
    std::optional<Kind> notice = std::nullopt;
    const char* due = "";
};

void Play(const std::vector<Step>& steps) {
    EngineAnswerCheck check;
    for (const Step& step : steps) {
        const std::string text = step.text;
        if (text.front() == '<') {
            check.OnServerMessage(text.substr(1));
            continue;
        }
        const std::optional<RelayNotice> notice = check.OnEngineLine(text);
        ASSERT_EQ(notice.has_value(), step.notice.has_value()) << text;
        if (notice) {
            EXPECT_EQ(notice->kind, *step.notice) << text;
            EXPECT_EQ(notice->subject, text);
            EXPECT_EQ(notice->detail, step.due) << text;
        }
    }
}

} // namespace

TEST(EngineAnswerCheck, AcceptsWhatTheServerAcceptsAsADelivery) {
    for (const char* line :
         {"BESTSHOT 0.1 -2.9 0", "bestshot 0.1 -2.9 1\r", "BestShot  -1000 1000 -7  ",
          "BESTSHOT .5 1e2 +3", "BESTSHOT 0 0 0\t"}) {
        EXPECT_TRUE(EngineAnswerCheck::IsDelivery(line)) << line;
    }
    const std::string longZero = "BESTSHOT 0.1" + std::string(1100, '0') + "junk -3 0";
    for (const std::string& line :
         {std::string("BESTSHOT 0.1 -2.9"), std::string("BESTSHOT 0.1 -2.9 0 extra"),
          std::string("BESTSHOT 1000.5 0 0"), std::string("BESTSHOT nan 0 0"),
          std::string("BESTSHOT 0.1 -2.9 0.5"), std::string("BESTSHOT 0x1 0 0"),
          std::string("BESTSHOT\t0.1 -2.9 0"), std::string("READYOK"), std::string("thinking"),
          longZero}) {
        EXPECT_FALSE(EngineAnswerCheck::IsDelivery(line)) << line;
    }
}

TEST(EngineAnswerCheck, ADebuggingLineBeforeTheAnswerIsReportedAsTheAnswer) {
    Play({
        {"<GO 300000 300000"},
        {"thinking about 12 candidates", Kind::EngineLineNotAnAnswer, "GO"},
        // The server took the line above as the answer: this one is unasked.
        {"BESTSHOT 0.1 -2.9 0", Kind::EngineLineUnasked},
    });
}

TEST(EngineAnswerCheck, ReportsLinesWhileNothingIsDueAndJudgesEachAnswer) {
    Play({
        {"hello", Kind::EngineLineUnasked},
        {"<NEWGAME a b"},
        {"<ISREADY"},
        {"READY", Kind::EngineLineNotAnAnswer, "ISREADY"},
        {"readyok\r"},
        {"READYOK", Kind::EngineLineUnasked},
        {"<POSITION 0 0"},
        {"<SETSTATE 0 0 10 0"},
        {"<GO 100 100"},
        // A READYOK is no answer, and the server goes on waiting for one.
        {"READYOK", Kind::EngineLineNotAnAnswer, "GO"},
        {"SETRAND 0.1"}, // handled by the relay: never judged
        {"DRAWSHOT 2.375 4.88 0"},
        {"BESTSHOT 0.1 -2.9 0"},
        {"<RUNSHOT 0.1 -2.9 0"},
        {"<GO 90 100"},
        {"<RUNSHOT 0 0 0"}, // out of time: nothing is due any more
        {"BESTSHOT 0.1 -2.9 0", Kind::EngineLineUnasked},
    });
}

TEST(EngineAnswerCheck, ReportsAFewLinesAGameThenSaysItStopped) {
    EngineAnswerCheck check;
    int notices = 0;
    int suppressed = 0;
    for (int i = 0; i < 100; ++i) {
        if (const std::optional<RelayNotice> notice = check.OnEngineLine("debug")) {
            ++(notice->kind == Kind::EngineNoticesSuppressed ? suppressed : notices);
        }
    }
    EXPECT_EQ(notices, EngineAnswerCheck::kMaxNoticesPerGame);
    EXPECT_EQ(suppressed, 1);
    check.OnServerMessage("NEWGAME a b");
    EXPECT_TRUE(check.OnEngineLine("debug"));
}

// The server takes a READYOK with words after it as READYOK: as the answer to
// ISREADY, and as no answer to GO.
TEST(EngineAnswerCheck, ReadsAReadyAnswerAsTheServerDoes) {
    Play({
        {"<ISREADY"},
        {"READYOK later"},
        {"<GO 100 100"},
        {"READYOK later", Kind::EngineLineNotAnAnswer, "GO"},
        {"BESTSHOT 0.1 -2.9 0"},
    });
}
