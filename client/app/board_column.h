#pragma once

#include "hand_shot.h"

#include <tarnwick/tarnwick.h>

#include <QTimer>
#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;

namespace skerrow {

class BoardPresenter;
class HistoryPanel;
class StatusPanel;

// The column the window adds beside its described layout: the status (clocks,
// turn, announcements, link and engine), the history list, and the hand
// play's weight with the trial shots' undo. It shows what the board
// presenter says and hands the user's stepping back to it.
//
// Child object names, besides those of its panels: "handWeight",
// "undoTrial", "returnToLive".
class BoardColumn final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BoardColumn)

public:
    // `board` (not owned) outlives the column. `live` gives the relay's
    // position on show.
    BoardColumn(BoardPresenter& board, std::function<const GameState&()> live,
                QWidget* parent = nullptr);
    ~BoardColumn() override;

    // Shows the board's state again: clocks, turn, announcement, the marked
    // row.
    void Refresh();
    void SetZoom(int zoomPercent);

    // The weight chosen for hand play.
    HandWeight handWeight() const;

    StatusPanel& status() const { return *m_status; }
    HistoryPanel& historyPanel() const { return *m_history; }

Q_SIGNALS:
    // The chosen weight changed: the window redraws the predicted path.
    void handWeightChanged();

private:
    void RebuildRows();

    BoardPresenter& m_board;
    std::function<const GameState&()> m_live;
    StatusPanel* m_status = nullptr;
    HistoryPanel* m_history = nullptr;
    QComboBox* m_weight = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_returnToLive = nullptr;
    // Ticks the running clock.
    QTimer m_tick;
};

} // namespace skerrow
