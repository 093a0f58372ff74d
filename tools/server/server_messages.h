#pragma once

// The words of the match protocol as the server reads and writes them: pure
// functions over text, with no I/O.

#include <tarnwick/tarnwick.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow {

// Largest speed accepted in a delivery, in m/s along either axis. Far beyond
// any shot that stays on the sheet; it keeps every number the server sends
// back within a protocol word.
inline constexpr float kMaxDeliverySpeed = 1000.0f;

// A player's LOGIN line.
struct LoginRequest {
    std::string id;
    std::string password;
    // The display name; the id when the line names none.
    std::string name;
};

// Longest id or display name taken at LOGIN, in bytes of UTF-8. Names go
// into every NEWGAME, result line and record file name; 64 bytes hold any
// real team name (21 CJK characters) and keep those lines short.
inline constexpr std::size_t kMaxNameBytes = 64;

// Reads "LOGIN id password [name]" (the word in any case; every word whole,
// never cut). Nothing when the word is another or the id or password is
// missing.
std::optional<LoginRequest> ParseLogin(std::string_view message);

// Why the server refuses a login, e.g. "the name has a control character";
// nothing when it takes it. The id and the name must be at most
// kMaxNameBytes of valid UTF-8 without control characters (U+0000 to
// U+001F, U+007F to U+009F), so that no name can break a line of the
// server's output or act on a terminal.
std::optional<std::string> LoginFault(const LoginRequest& login);

// Reads a delivery "BESTSHOT vx vy curl" (the word in any case): vx and vy
// decimal numbers, finite and at most kMaxDeliverySpeed in size, curl a whole
// number in 32 bits; nothing else on the line but trailing blanks or a
// carriage return. Every word is judged whole, however long. Nothing when the
// message is not such a delivery.
std::optional<ShotVec> ParseDelivery(std::string_view message);

// True when the message's command word is `word`, in any case.
bool HasCommandWord(std::string_view message, std::string_view word);

// The message without a trailing carriage return, newline, tab or spaces.
std::string_view TrimEnd(std::string_view message);

// "POSITION x0 y0 ... x15 y15": all sixteen stones, "0.000000 0.000000" for a
// stone not in play.
std::string FormatPosition(const GameState& state);

// "SETSTATE shot end lastEnd turn".
std::string FormatSetState(int shot, int end, int lastEnd, int turn);

// "GO redMs yellowMs".
std::string FormatGo(std::int64_t redMs, std::int64_t yellowMs);

// "RUNSHOT vx vy curl".
std::string FormatRunShot(ShotVec shot);

// "SCORE s1 ... sk", one signed result per end played, positive for red.
std::string FormatScore(const std::vector<int>& redScores);

} // namespace skerrow
