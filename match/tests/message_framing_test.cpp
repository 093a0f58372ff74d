#include "message_framing.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace skerrow {
namespace {

using namespace std::string_literals;
using Messages = std::vector<std::string>;

// Feeds `stream` in pieces of `chunk` bytes and collects every message.
template <typename Framer>
FramedMessages FeedInChunks(Framer& framer, std::string_view stream, std::size_t chunk) {
    FramedMessages all;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        FramedMessages part = framer.Feed(stream.substr(at, chunk));
        all.messages.insert(all.messages.end(), part.messages.begin(), part.messages.end());
        all.dropped += part.dropped;
    }
    return all;
}

// --- one frame, bytes in and {status, message, size} out ------------------

struct FrameCase {
    const char* name;
    std::string bytes;
    Framing framing;
    std::size_t maxLength;
    std::size_t held; // bytes of the message from earlier reads
    Frame::Status status;
    std::string message;
    std::size_t size;
};

class FrameCases : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameCases, ReadsTheFirstFrame) {
    const FrameCase& c = GetParam();
    const Frame frame = ReadFrame(c.bytes, c.framing, c.maxLength, c.held);
    EXPECT_EQ(frame.status, c.status);
    EXPECT_EQ(frame.message, c.message);
    EXPECT_EQ(frame.size, c.size);
}

constexpr Framing kZero = Framing::ZeroTerminated;
constexpr Framing kLines = Framing::Lines;
using Status = Frame::Status;

INSTANTIATE_TEST_SUITE_P(
    Bytes, FrameCases,
    ::testing::Values(
        FrameCase{"MessageAndItsZero", "GO 1 2\0ISREADY\0"s, kZero, 8, 0, Status::Complete,
                  "GO 1 2", 7},
        FrameCase{"EmptyMessage", "\0x"s, kZero, 8, 0, Status::Complete, "", 1},
        FrameCase{"NewlineIsTextOnTheSocket", "a\nb\0"s, kZero, 8, 0, Status::Complete, "a\nb", 4},
        FrameCase{"NewlineEndsALine", "a\r\nb"s, kLines, 8, 0, Status::Complete, "a\r", 3},
        FrameCase{"ZeroEndsALine", "a\0b"s, kLines, 8, 0, Status::Complete, "a", 2},
        FrameCase{"NoTerminatorYet", "SETSTATE", kZero, 8, 0, Status::Incomplete, "", 0},
        FrameCase{"NothingYet", "", kZero, 8, 0, Status::Incomplete, "", 0},
        FrameCase{"ExactlyTheCap", "12345678\0"s, kZero, 8, 0, Status::Complete, "12345678", 9},
        FrameCase{"OneOverTheCap", "123456789\0ok\0"s, kZero, 8, 0, Status::TooLong, "", 10},
        FrameCase{"OverTheCapAndOpen", "123456789", kZero, 8, 0, Status::TooLongOpen, "", 9},
        FrameCase{"HeldBytesCount", "678\0"s, kZero, 8, 5, Status::Complete, "678", 4},
        FrameCase{"HeldBytesPassTheCap", "6789\0"s, kZero, 8, 5, Status::TooLong, "", 5},
        FrameCase{"FullHeldMessageEnds", "\0"s, kZero, 8, 8, Status::Complete, "", 1}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return info.param.name; });

// --- the server's zero-terminated messages --------------------------------

// Whatever the size of the reads, the same messages come out.
TEST(ZeroFramer, ResultDoesNotDependOnHowTheStreamIsCut) {
    const std::string stream = "LOGIN id pw name\0\0SETSTATE 3 1 10 1\0x\0tail"s;
    for (std::size_t chunk = 1; chunk <= stream.size(); ++chunk) {
        ZeroFramer framer;
        const FramedMessages out = FeedInChunks(framer, stream, chunk);
        EXPECT_EQ(out.messages, (Messages{"LOGIN id pw name", "", "SETSTATE 3 1 10 1", "x"}))
            << "chunk " << chunk;
        EXPECT_EQ(framer.pendingSize(), 4u) << "chunk " << chunk;
    }
}

// A message of exactly the cap is kept; a longer one is dropped whole and
// counted once, also when it is built from reads that are each short.
TEST(ZeroFramer, DropsOnlyMessagesLongerThanTheCap) {
    ZeroFramer framer(8);
    FramedMessages out = framer.Feed("12345678\0"
                                     "123456789\0"
                                     "ok\0"s);
    EXPECT_EQ(out.messages, (Messages{"12345678", "ok"}));
    EXPECT_EQ(out.dropped, 1u);

    EXPECT_EQ(framer.Feed("12345").dropped, 0u);
    EXPECT_EQ(framer.Feed("6789").dropped, 1u); // now over the cap
    out = framer.Feed("abc\0next\0"s);
    EXPECT_EQ(out.messages, Messages{"next"}); // no tail of the dropped one
    EXPECT_EQ(out.dropped, 0u);
}

TEST(ZeroFramer, StreamWithoutTerminatorStaysBoundedAndIsCountedOnce) {
    ZeroFramer framer; // default cap
    const std::string chunk(4096, 'x');
    std::size_t dropped = 0;
    for (int i = 0; i < 256; ++i) { // 1 MiB
        const FramedMessages out = framer.Feed(chunk);
        EXPECT_TRUE(out.messages.empty());
        dropped += out.dropped;
        ASSERT_LE(framer.pendingSize(), kDefaultMaxMessageLength);
    }
    EXPECT_EQ(dropped, 1u);
    EXPECT_EQ(framer.Feed("\0GAMEOVER\0"s).messages, Messages{"GAMEOVER"});
}

// --- the engine's lines ---------------------------------------------------

struct LineCase {
    const char* name;
    std::string input;
    Messages lines;
    std::string partial; // what TakePartial returns afterwards
};

class LineFramerCases : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineFramerCases, SplitsAsExpected) {
    const LineCase& c = GetParam();
    LineFramer framer;
    EXPECT_EQ(framer.Feed(c.input).messages, c.lines);
    EXPECT_EQ(framer.HasPartial(), !c.partial.empty());
    EXPECT_EQ(framer.TakePartial(), c.partial);
    EXPECT_FALSE(framer.HasPartial());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineFramerCases,
    ::testing::Values(LineCase{"TwoLinesInOneRead",
                               "BESTSHOT 0.1 -3 0\nSETRAND 0.5\n",
                               {"BESTSHOT 0.1 -3 0", "SETRAND 0.5"},
                               ""},
                      LineCase{"CarriageReturnKept", "READYOK\r\n", {"READYOK\r"}, ""},
                      LineCase{"LoneCarriageReturnIsText", "\r\n", {"\r"}, ""},
                      LineCase{"EmptyLinesSkipped", "\n\nA\n\n", {"A"}, ""},
                      LineCase{"ZeroByteEndsALine", "A\0B\0\0"s, {"A", "B"}, ""},
                      LineCase{"NoFinalNewline", "A\nBESTSHOT", {"A"}, "BESTSHOT"},
                      LineCase{"CarriageReturnAtEndStaysPartial", "X\r", {}, "X\r"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(LineFramer, ResultDoesNotDependOnHowTheStreamIsCut) {
    const std::string stream = "READYOK\r\n\nBESTSHOT 1 2 0\nX\0Y"s;
    for (std::size_t chunk = 1; chunk <= stream.size(); ++chunk) {
        LineFramer framer;
        const FramedMessages out = FeedInChunks(framer, stream, chunk);
        EXPECT_EQ(out.messages, (Messages{"READYOK\r", "BESTSHOT 1 2 0", "X"}))
            << "chunk " << chunk;
        EXPECT_EQ(framer.TakePartial(), "Y") << "chunk " << chunk;
    }
}

// A quiet period ends an over-long line as a newline does: what follows is a
// new line, not more of the dropped one.
TEST(LineFramer, DropsAnOverLongLineEndedByNewlineOrQuietTime) {
    LineFramer framer(4);
    FramedMessages out = framer.Feed("abcd\nabcde\nok\n");
    EXPECT_EQ(out.messages, (Messages{"abcd", "ok"}));
    EXPECT_EQ(out.dropped, 1u);

    EXPECT_EQ(framer.Feed("abcdefgh").dropped, 1u);
    EXPECT_TRUE(framer.HasPartial());
    EXPECT_EQ(framer.TakePartial(), "");
    EXPECT_FALSE(framer.HasPartial());
    out = framer.Feed("ok\n");
    EXPECT_EQ(out.messages, Messages{"ok"});
    EXPECT_EQ(out.dropped, 0u);
}

} // namespace
} // namespace skerrow
