#pragma once

// The protocol's messages as types. Parse reads the text of one message (as
// framing split it off, without its terminator) into one of them or into a
// ParseError that says what was wrong; Format writes one as wire text, with a
// decimal point in every locale and six digits after it. Both are pure
// functions over text.
//
// The two ends of a link read differently on purpose, so Parse has two
// readings:
//
// - Lenient: as a client reads what its server, its engine and its user
//   send. Only spaces separate words, a run of them counts as one and a
//   trailing space makes one more, empty word. A word is cut to the slot it
//   is read into (31 bytes for the command word and numbers, 1023 for names
//   and scores). Numbers are read as the C library's atof and atoi read them:
//   text that is no number reads as 0, and so does a real that is no finite
//   float. A message lacks something only where it cannot act without it
//   (SETSTATE, GO's clocks, BESTSHOT, RUNSHOT, DRAWSHOT, SETRAND, LOGIN);
//   POSITION, SETPOSITION and SCORE take as many numbers as are given, and
//   words after the last argument are ignored.
// - Strict: as the server judges what a player sends (docs/protocol.md gives
//   the grammar). Spaces, tabs, carriage returns and newlines at the end are
//   ignored; every word is taken whole however long; a number must take up
//   its whole word in plain decimal notation (no inf, nan, hexadecimal or
//   decimal comma); every argument must be there; and a word after the last
//   number of a message is refused, while words after the names of LOGIN or
//   NEWGAME, or after a message without arguments, are ignored.

#include <tarnwick/tarnwick.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace skerrow {

// The largest speed of a delivery that the server takes, in m/s along either
// axis: far beyond any shot that stays on the sheet, and it keeps every
// number the server sends back within a protocol word.
inline constexpr float kMaxDeliverySpeed = 1000.0f;

// The command words, and Unknown for any other word.
enum class Command {
    Login,
    NewGame,
    IsReady,
    ReadyOk,
    Position,
    SetState,
    Go,
    BestShot,
    RunShot,
    Score,
    GameOver,
    SetRand,
    SetPosition,
    DrawShot,
    Unknown,
};

// LOGIN id password name: a player to the server, once, after connecting.
struct Login {
    std::string id;
    std::string password;
    // The display name; Parse gives the id when the line names none.
    std::string name;
};

// NEWGAME red yellow: the server to both players; a game begins. The lenient
// reading leaves a missing name empty.
struct NewGame {
    std::string red;
    std::string yellow;
};

// ISREADY: the server asks a player to answer READYOK when ready.
struct IsReady {};

// READYOK: a player's answer to ISREADY.
struct ReadyOk {};

// POSITION x0 y0 x1 y1 ...: the server to both players, before every shot:
// the stones of the current end in metres, (0, 0) for one not in play. The
// server sends all sixteen; a reading takes as many as there are pairs of
// numbers, at most sixteen (the lenient one ignores an odd last number).
struct Position {
    std::vector<StonePosition> stones;
};

// SETSTATE shot end lastEnd turn: stones delivered in this end, the end
// (counted from 0), the number of ends of the game and the colour to deliver
// (0 red, 1 yellow). From the server, and from an engine or user to its
// client.
struct SetState {
    int shot = 0;
    int end = 0;
    int lastEnd = 0;
    int turn = 0;
};

// GO redMs yellowMs: the server to the side to deliver; both sides' thinking
// time left, in milliseconds. The lenient reading leaves a missing clock
// empty.
struct Go {
    std::optional<std::int64_t> redMs;
    std::optional<std::int64_t> yellowMs;
};

// BESTSHOT vx vy curl: a player's delivery, in m/s, answering GO. Typed by a
// user to the client, the same words name a target point (x and y in metres
// in vx and vy) that the client turns into a delivery.
struct BestShot {
    ShotVec shot{};
    // Writes the command word as "BestShot", as the client has always written
    // the deliveries it plans for its user, rather than the engines'
    // "BESTSHOT". Words are read in any case; this changes only the bytes.
    bool mixedCase = false;
};

// RUNSHOT vx vy curl: the server to both players: the delivery played, with
// the random error included.
struct RunShot {
    ShotVec shot{};
};

// SCORE s1 ... sk: the server to both players after an end: the result of
// every end played so far in the game, positive when red scored. A reading
// takes at most ten.
struct Score {
    std::vector<int> redScores;
};

// GAMEOVER: the game is over.
struct GameOver {};

// SETRAND r: an engine or user to its client: the random size of the replays
// it shows, as an offset at the tee in metres. Both readings refuse a number
// that is no finite float.
struct SetRand {
    float size = 0.0f;
};

// SETPOSITION x0 y0 ...: an engine or user to its client: stones to show,
// read as POSITION's.
struct SetPosition {
    std::vector<StonePosition> stones;
};

// DRAWSHOT x y curl: an engine or user to its client: show the draw planned
// to this target (metres). The lenient reading ignores a fourth word.
struct DrawShot {
    ShotPos target{};
};

// What was wrong with a message that Parse could not read.
struct ParseError {
    enum class Fault {
        UnknownCommand, // word 0 is no command word
        MissingWord,    // a word the message needs is not there
        BadNumber,      // a word that must be a number is none (or too large)
        ExtraWord,      // a word after the last number of the message
    };
    // The message the command word names; Unknown for UnknownCommand.
    Command command = Command::Unknown;
    Fault fault = Fault::UnknownCommand;
    // The word at fault, counted from 0 (the command word), and its text as
    // read (empty when it is missing).
    std::size_t word = 0;
    std::string text;
};

namespace detail {
template <typename... Messages> struct MessageSet {
    using Message = std::variant<Messages...>;
    using Parsed = std::variant<Messages..., ParseError>;
};
using AllMessages = MessageSet<Login, NewGame, IsReady, ReadyOk, Position, SetState, Go, BestShot,
                               RunShot, Score, GameOver, SetRand, SetPosition, DrawShot>;
} // namespace detail

// Any one message.
using Message = detail::AllMessages::Message;
// What Parse gives: a message, or what was wrong.
using ParseResult = detail::AllMessages::Parsed;

// How Parse reads; see the top of this file.
enum class Reading { Lenient, Strict };

// Reads the text of one message.
ParseResult Parse(std::string_view text, Reading reading = Reading::Lenient);

// The wire text of `message`, without a terminator.
std::string Format(const Message& message);

// The message that `parsed` holds; none for a ParseError.
std::optional<Message> MessageOf(const ParseResult& parsed);

// The command word of `text` as a client reads it, in any case: word 0,
// whole, with nothing trimmed ("READYOK\r" is no READYOK there).
Command CommandOf(std::string_view text);

// The message a parse result is of, or that its error names.
Command CommandOf(const ParseResult& parsed);

// The command word as the protocol writes it ("BESTSHOT"); empty for Unknown.
std::string_view CommandWord(Command command);

// POSITION with all sixteen stones of `state`, as the server sends it.
Position PositionOf(const GameState& state);

} // namespace skerrow
