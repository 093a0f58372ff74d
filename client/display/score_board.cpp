#include "score_board.h"

#include "game_rules.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace skerrow {

namespace {

using Layout = ScoreBoardLayout;

std::size_t CellIndex(int controlId) {
    return static_cast<std::size_t>(controlId - Layout::kFirstCellId);
}

} // namespace

std::optional<QString> ScoreBoardTexts::ForControl(int controlId) const {
    if (controlId < Layout::kFirstCellId || controlId > Layout::kLastCellId) {
        return std::nullopt;
    }
    return cells[CellIndex(controlId)];
}

void ScoreBoardTexts::ApplyTo(std::array<QString, ScoreBoardLayout::kCellCount>& shown) const {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i]) {
            shown[i] = *cells[i];
        }
    }
}

ScoreBoardTexts UpdateScoreBoard(const GameState& state) {
    ScoreBoardTexts texts;
    auto write = [&texts](int controlId, const QString& text) {
        texts.cells[CellIndex(controlId)] = text;
    };

    const int completedEnds = state.currentEnd;
    if (completedEnds >= 1 && completedEnds <= kEnds) {
        for (int k = completedEnds - 1; k >= 0; --k) {
            // 64 bits: the magnitude of INT32_MIN fits.
            const std::int64_t score = state.endScores[k];
            const QString points = QString::number(std::llabs(score));
            write(Layout::kFirstRedEndId + k, score > 0 ? points : QStringLiteral("0"));
            write(Layout::kFirstYellowEndId + k, score > 0 ? QStringLiteral("0") : points);
        }
        const Points totals = Tally(
            std::span<const int>(state.endScores).first(static_cast<std::size_t>(completedEnds)));
        write(Layout::kRedTotalId, QString::number(totals.red));
        write(Layout::kYellowTotalId, QString::number(totals.yellow));
    }

    for (int end = 1; end <= kEnds; ++end) {
        if (IsUnplayedEnd(end, state.lastEnd)) {
            write(Layout::kFirstRedEndId + end - 1, kNotPlayedBar);
            write(Layout::kFirstYellowEndId + end - 1, kNotPlayedBar);
        }
    }
    return texts;
}

QString UpdateTurnCaption(const GameState& state) {
    const std::int64_t end = std::int64_t{state.currentEnd} + 1;
    const std::int64_t shot = std::int64_t{state.shotNumber} + 1;
    const QString format = state.turnFlag != 0 ? QStringLiteral("第%1エンド\u3000黄 - %2投目")
                                               : QStringLiteral("第%1エンド\u3000赤 - %2投目");
    return format.arg(end).arg(shot);
}

} // namespace skerrow
