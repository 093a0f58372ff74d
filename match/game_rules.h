#pragma once

// The rules of a game as every part plays and shows it: the server's referee,
// the engines, the relay and the score boards of the window and the command
// line ask these functions and keep no copy of their own.
//
// Two signs meet here. The physics library counts an end for the side that
// delivered first in it (a positive result: that side scored); the protocol
// counts for red (SCORE's results are positive when red scored).

#include "match_numbers.h"
#include "protocol_messages.h"

#include <tarnwick/tarnwick.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace skerrow {

// The colours, which are also SETSTATE's turn numbers. Red delivers first in
// the first end of a game.
inline constexpr int kRed = 0;
inline constexpr int kYellow = 1;

// The position a game starts from: an empty sheet, the first end, the first
// stone, red to deliver, and `lastEnd` ends to play.
GameState EmptySheet(int lastEnd = kEnds);

// Takes every stone off the sheet, as an end begins; the rest of `state`
// stays.
void ClearSheet(GameState& state);

// False for (0, 0), which marks a stone out of play.
bool HoldsStone(StonePosition stone);

// The colour that delivers stone `shotNumber` (counted from 0) of an end that
// `firstColour` began: the sides alternate.
int ColourToDeliver(int firstColour, int shotNumber);

// An end's result as SCORE gives it, positive when red scored, from the
// library's `endScore` of an end that `firstColour` began.
int RedScore(int firstColour, int endScore);

// The colour that delivers first in the end after one that `firstColour`
// began and that ended with the library's `endScore`: the side that scored;
// after a blank end the order stays.
int FirstToDeliverNext(int firstColour, int endScore);

// Each colour's points.
struct Points {
    std::int64_t red = 0;
    std::int64_t yellow = 0;
};

// The points of the ends whose results, positive for red, are `redScores`:
// each end's points go to the side that scored. In 64 bits, so that no
// results a peer sends can overflow the sums.
Points Tally(std::span<const int> redScores);

// The position's end results after a SCORE that gives `scores` (one per end
// from the first): entry i becomes scores[i], for at most kEnds entries; the
// entries after the last one given keep their values.
void ApplyEndScores(GameState& state, std::span<const int> scores);

// The position's turn after a SETSTATE: its shot number, end, number of ends
// and side to deliver, in that order; the stones and results stay.
void ApplySetState(GameState& state, const SetState& setState);

// The stones a POSITION or SETPOSITION gives: stone i takes stones[i], for at
// most kStonesPerEnd stones; the stones after the last one given keep their
// places.
void PlaceStones(GameState& state, std::span<const StonePosition> stones);

// True for an end (counted from 1) that a game of `lastEnd` ends never
// reaches: only games of 1 to kEnds - 1 ends have such ends. The score boards
// mark such an end's cells with kUnplayedEndMark.
bool IsUnplayedEnd(int end, int lastEnd);

// The mark of an end that is not played, U+2015 HORIZONTAL BAR in UTF-8: one
// column wide on a screen, three bytes.
inline constexpr std::string_view kUnplayedEndMark = "\xE2\x80\x95";

} // namespace skerrow
