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

// Reads "LOGIN id password [name]" (the word in any case). Nothing when the
// word is another or the id or password is missing.
std::optional<LoginRequest> ParseLogin(std::string_view message);

// Reads a delivery "BESTSHOT vx vy curl" (the word in any case): vx and vy
// decimal numbers, finite and at most kMaxDeliverySpeed in size, curl a whole
// number; nothing else on the line but trailing blanks or a carriage return.
// Nothing when the message is not such a delivery.
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
