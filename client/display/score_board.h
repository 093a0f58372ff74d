#pragma once

// The texts of the score board and of the turn caption, worked out from the
// position on show. No widgets here: the window puts the texts into its
// labels.

#include "game_rules.h"
#include "score_board_layout.h"

#include <tarnwick/tarnwick.h>

#include <QString>

#include <array>
#include <optional>

namespace skerrow {

// What one repaint writes into the 22 point cells (ids 1012 to 1033). A cell
// without a text is not written and keeps whatever it showed before, as the
// end cells of a previous match do until the new match reaches their end.
struct ScoreBoardTexts {
    std::array<std::optional<QString>, ScoreBoardLayout::kCellCount> cells;

    // The text for control `controlId` (1012 to 1033); none for other ids.
    std::optional<QString> ForControl(int controlId) const;

    // Writes the texts into `shown`, the cells' current texts indexed by
    // id - 1012, leaving the cells without a text as they are.
    void ApplyTo(std::array<QString, ScoreBoardLayout::kCellCount>& shown) const;
};

// Text of a column of an end that is not played: U+2015 HORIZONTAL BAR.
inline const QString kNotPlayedBar = QString::fromUtf8(kUnplayedEndMark);

// The score cells' texts for `state`: for each completed end (currentEnd
// between 1 and 10) the points of the side that scored and "0" for the other,
// both totals, and "―" in both rows for every end after lastEnd (lastEnd
// between 1 and 9), written over any points. A currentEnd outside 1 to 10
// writes no end or total cell; a lastEnd outside 1 to 9 marks no column.
// Points and totals are worked out in 64 bits, so that no score a server
// sends can overflow them.
ScoreBoardTexts UpdateScoreBoard(const GameState& state);

// The caption "第<E+1>エンド　<赤|黄> - <n+1>投目" for control 1009, with E the
// current end, n the shot number and 黄 (yellow) when turnFlag is non-zero.
// The two numbers are worked out in 64 bits, so the largest values show
// without wrapping.
QString UpdateTurnCaption(const GameState& state);

} // namespace skerrow
