// Feeds arbitrary bytes to the protocol's parser and to the relay's protocol
// core together: the word and number readers, both readings of Parse, Format,
// and a ProtocolHandler (which reads every message with Parse) wired to fakes
// that check, on every call, what must hold whatever the server, the engine
// or the user sends.
//
// An input is a list of records, one per line. The first byte of a record
// says what happens:
//   S<text>  a message from the server
//   L<text>  a line from the engine or the user
//   R        the running replay ends
//   A        the user answers the readiness question
//   c        the server link goes down, or comes back up
//   e        the engine stops, or runs again
//   d        the replay starter starts, or stops, declining every replay
//   p        the shot planner starts, or stops, failing
//   i        the readiness question starts, or stops, being answered at once
//            (from inside AskReady, as a front end without a user does)
// In a text, "\n" stands for a newline, "\0" for a zero byte and "\\" for a
// backslash, so that a record can carry every byte. The text of every record
// also goes through the word and number readers and through Parse.

#include "printable_text.h"
#include "protocol_handler.h"
#include "protocol_messages.h"
#include "protocol_words.h"
#include "relay_events.h"
#include "relay_ports.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace skerrow;

[[noreturn]] void Fail(const char* broken, std::string_view text) {
    std::fprintf(stderr, "relay_fuzzer: %s: \"", broken);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && c != '"' && c != '\\') {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02x", byte);
        }
    }
    std::fputs("\"\n", stderr);
    std::abort();
}

void Require(bool holds, const char* broken, std::string_view text = {}) {
    if (!holds) {
        Fail(broken, text);
    }
}

bool HasLineEnd(std::string_view text) {
    return text.find_first_of(std::string_view("\n\0", 2)) != std::string_view::npos;
}

// What of a message the handler acts on and passes on: up to its first
// newline or zero byte.
std::string_view CutAtLineEnd(std::string_view text) {
    return text.substr(0, std::min(text.find_first_of(std::string_view("\n\0", 2)), text.size()));
}

void RequireFinite(const GameState& state) {
    for (const StonePosition& stone : state.stones) {
        Require(std::isfinite(stone.x) && std::isfinite(stone.y), "a stone off the number line");
    }
}

// ---------------------------------------------------------------------------
// The word and number readers

// The text as its words should join up again: leading spaces dropped, every
// run of spaces as one.
std::string Collapsed(std::string_view text) {
    std::string out;
    bool started = false;
    for (const char c : text) {
        if (c != ' ') {
            started = true;
            out.push_back(c);
        } else if (started && out.back() != ' ') {
            out.push_back(' ');
        }
    }
    return out;
}

// True when the C library would read the text as a C99 hexadecimal number.
bool LooksHexadecimal(std::string_view text) {
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string_view::npos) {
        return false;
    }
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    return text.substr(i, 1) == "0" && text.size() > i + 1 &&
           (text[i + 1] == 'x' || text[i + 1] == 'X');
}

void CheckNumbers(std::string_view text) {
    // The C library reads up to the first zero byte; so must the relay.
    const std::string terminated(text);

    const float real = ReadReal(text);
    Require(std::isfinite(real), "ReadReal gave a number off the line", text);
    // atof also reads C99 hexadecimal ("0x1p3" is 8), which the relay reads
    // as the 0 before the x; no server writes numbers that way.
    if (!LooksHexadecimal(terminated)) {
        const double reference = std::strtod(terminated.c_str(), nullptr);
        // Numbers that round to the largest float still fit.
        const double limit =
            static_cast<double>(std::numeric_limits<float>::max()) + std::ldexp(1.0, 103);
        const bool fits = std::isfinite(reference) && std::fabs(reference) < limit;
        Require(real == (fits ? static_cast<float>(reference) : 0.0f), "ReadReal and atof disagree",
                text);
    }

    const std::string written = FormatReal(real);
    const std::size_t point = written.find('.');
    Require(point != std::string::npos && written.size() - point == 7 && !HasLineEnd(written),
            "FormatReal wrote no six decimals", written);
    const float back = ReadReal(written);
    Require(std::fabs(back - real) <= 1e-6f + std::fabs(real) * 1e-6f,
            "FormatReal does not read back", written);

    const long long wide = std::strtoll(terminated.c_str(), nullptr, 10);
    const long long clamped = std::clamp<long long>(wide, std::numeric_limits<int>::min(),
                                                    std::numeric_limits<int>::max());
    Require(ReadInteger(text) == clamped, "ReadInteger and atoi disagree", text);
}

void CheckWords(std::string_view text) {
    // A POSITION has 32 numbers after its word; a few more words do no harm.
    constexpr std::size_t kWordsChecked = 36;
    const std::size_t uncut = text.size() + 1;
    std::vector<std::string> words;
    bool complete = false;
    for (std::size_t index = 0; index < kWordsChecked; ++index) {
        const std::optional<std::string> word = GetToken(text, index, uncut);
        Require(index > 0 || word.has_value(), "no command word, not even an empty one", text);
        for (const std::size_t slot : {std::size_t{0}, std::size_t{1}, std::size_t{4}, kWordSlot}) {
            const std::optional<std::string> cut = GetToken(text, index, slot);
            Require(cut.has_value() == word.has_value(),
                    "whether a word exists depends on its slot", text);
            if (cut) {
                const std::size_t room = slot > 0 ? slot - 1 : 0;
                Require(*cut == word->substr(0, room), "a word cut to its slot is not its start",
                        text);
            }
        }
        if (!word) {
            complete = true;
            break;
        }
        Require(word->find(' ') == std::string::npos, "a word with a space in it", *word);
        CheckNumbers(*word);
        words.push_back(*word);
    }
    if (complete) {
        std::string joined;
        for (std::size_t i = 0; i < words.size(); ++i) {
            joined += (i == 0 ? "" : " ") + words[i];
        }
        Require(joined == Collapsed(text), "the words do not make up the text", text);
        Require(!GetToken(text, words.size() + 1), "a word after the last one", text);
    }
    CheckNumbers(text);
}

// ---------------------------------------------------------------------------
// The parser's two readings and the formatter

// The length of the longest word of `text`.
std::size_t LongestWord(std::string_view text) {
    std::size_t longest = 0;
    for (std::size_t index = 0;; ++index) {
        const std::optional<std::string> word = GetToken(text, index, text.size() + 1);
        if (!word) {
            return longest;
        }
        longest = std::max(longest, word->size());
    }
}

void CheckMessages(std::string_view text) {
    const ParseResult lenient = Parse(text, Reading::Lenient);
    const ParseResult strict = Parse(text, Reading::Strict);
    Require(CommandOf(lenient) == CommandOf(text),
            "the lenient reading names another command than the client's word", text);
    const std::optional<Message> judged = MessageOf(strict);
    if (!judged) {
        return;
    }
    // What the server takes, a client reads as the same message where
    // nothing trails (a client keeps a carriage return, the server drops
    // it), with the same values wherever no word is cut to its slot.
    const std::string written = Format(*judged);
    if (TrimEnd(text) == text) {
        Require(CommandOf(lenient) == CommandOf(strict), "the two readings name other commands",
                text);
        const std::optional<Message> read = MessageOf(lenient);
        Require(LongestWord(text) >= kWordSlot || (read && Format(*read) == written),
                "the two readings read other values", text);
    }
    // What is written reads back as itself (unless the text ends in a blank
    // that the strict reading trims: a name taken for a missing one).
    if (TrimEnd(written) == written) {
        const std::optional<Message> back = MessageOf(Parse(written, Reading::Strict));
        Require(back && Format(*back) == written, "a formatted message does not read back",
                written);
    }
}

// ---------------------------------------------------------------------------
// The handler's collaborators, checking what they are handed

struct CheckingServer final : ServerSender {
    bool connected = true;
    bool IsConnected() const override { return connected; }
    void SendToServer(std::string_view text) override {
        Require(!HasLineEnd(text), "a message for the server that would split in two", text);
    }
};

struct CheckingEngine final : EngineWriter {
    bool running = false;
    // Server messages handed to the handler and not yet passed on, as the
    // engine must see them.
    std::deque<std::string> unforwarded;
    bool IsEngineRunning() const override { return running; }
    void WriteToEngine(std::string_view text) override {
        Require(!HasLineEnd(text), "a message for the engine that would split in two", text);
        // Each server message reaches the engine at most once and in the
        // order the server sent them; those that came while no engine ran
        // (or no link was up) are skipped.
        while (!unforwarded.empty() && unforwarded.front() != text) {
            unforwarded.pop_front();
        }
        Require(!unforwarded.empty(), "the engine got a message twice, out of order or made up",
                text);
        unforwarded.pop_front();
    }
};

// Front ends show the server's line and the names through PrintableText:
// what they show never holds a line end or a control character.
void RequirePrintable(std::string_view text) {
    const std::string shown = PrintableText(text);
    Require(!HasLineEnd(shown), "a shown text with a line end", shown);
    for (const char c : shown) {
        Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f,
                "a shown text with a control character", shown);
    }
}

struct CheckingEvents final : RelayEvents {
    void OnServerMessageShown(std::string_view text, const ParseResult&) override {
        RequirePrintable(text);
    }
    void OnGameStarted(const NewGame& newGame) override {
        RequirePrintable(newGame.red);
        RequirePrintable(newGame.yellow);
    }
    void OnPositionChanged(const GameState& state) override { RequireFinite(state); }
    void OnEndScored(const GameState& state, const Score&) override { RequireFinite(state); }
};

struct CheckingReplay final : ReplayStarter {
    bool declining = false;
    bool running = false;
    bool StartReplay(const GameState& start, ShotVec shot, float randomSize) override {
        RequireFinite(start);
        Require(std::isfinite(shot.vx) && std::isfinite(shot.vy),
                "a replay of a delivery off the number line");
        Require(std::isfinite(randomSize), "a replay with a random size off the number line");
        if (declining || running) {
            return false;
        }
        running = true;
        return true;
    }
};

struct CheckingReady final : ReadyPrompt {
    ProtocolHandler* handler = nullptr; // owned by the rig
    bool open = false;
    bool answerAtOnce = false;
    void AskReady() override {
        Require(!open, "a second readiness question while one is open");
        if (answerAtOnce) {
            handler->OnReadyAnswered();
        } else {
            open = true;
        }
    }
};

struct CheckingPlanner final : ShotPlanner {
    bool failing = false;
    bool CreateShot(ShotPos target, ShotVec& result) override {
        Require(std::isfinite(target.x) && std::isfinite(target.y), "a target off the number line");
        if (failing) {
            return false;
        }
        result = {target.x / 10.0f, -target.y, target.curl};
        return true;
    }
};

struct CheckingLog final : MatchLogWriter {
    bool open = false;
    bool IsOpen() const override { return open; }
    std::optional<std::string> Open(std::string_view first, std::string_view second) override {
        Require(!HasLineEnd(first) && !HasLineEnd(second), "a log named with a line end");
        open = true;
        return std::nullopt;
    }
    void WriteLine(std::string_view prefix, std::string_view text) override {
        Require(prefix == "Server: " || prefix == "Client: ", "a log line of nobody", prefix);
        Require(!HasLineEnd(text), "a log line that would split in two", text);
    }
    void Close() override { open = false; }
};

struct Rig {
    CheckingServer server;
    CheckingEngine engine;
    CheckingEvents events;
    CheckingReplay replay;
    CheckingReady ready;
    CheckingPlanner planner;
    CheckingLog log;
    ProtocolHandler handler{{server, engine, events, &replay, ready, planner, log}};

    Rig() { ready.handler = &handler; }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;
};

// What must hold between any two calls into the handler.
void CheckBetweenCalls(const Rig& rig) {
    const ProtocolHandler& handler = rig.handler;
    RequireFinite(handler.gameState());
    Require(std::isfinite(handler.shotRandom()), "a random size off the number line");
    Require(handler.isReplayRunning() == rig.replay.running,
            "the handler and the replay disagree on whether a replay runs");
    if (handler.heldMessages() == 0) {
        Require(handler.isInboxHeld() == rig.ready.open,
                "the inbox is held without an open question, or not held with one");
    } else {
        Require(rig.ready.open || handler.isReplayRunning(),
                "server messages wait with nothing to wait for");
    }
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'n' || next == '0' || next == '\\') {
                out.push_back(next == 'n' ? '\n' : next == '0' ? '\0' : '\\');
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

void Apply(Rig& rig, std::string_view record) {
    if (record.empty()) {
        return;
    }
    const std::string text = Unescape(record.substr(1));
    CheckWords(text);
    CheckMessages(text);
    switch (record.front()) {
    case 'S':
        rig.engine.unforwarded.emplace_back(CutAtLineEnd(text));
        rig.handler.OnServerMessage(text);
        break;
    case 'L':
        rig.handler.OnLocalMessage(text);
        break;
    case 'R':
        rig.replay.running = false;
        rig.handler.OnReplayEnded();
        break;
    case 'A':
        rig.ready.open = false;
        rig.handler.OnReadyAnswered();
        break;
    case 'c':
        rig.server.connected = !rig.server.connected;
        break;
    case 'e':
        rig.engine.running = !rig.engine.running;
        break;
    case 'd':
        rig.replay.declining = !rig.replay.declining;
        break;
    case 'p':
        rig.planner.failing = !rig.planner.failing;
        break;
    case 'i':
        rig.ready.answerAtOnce = !rig.ready.answerAtOnce;
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Rig rig;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        Apply(rig, input.substr(start, end - start));
        CheckBetweenCalls(rig);
        start = end + 1;
    }
    return 0;
}
