#pragma once

#include "history_row.h"

#include <QString>
#include <QWidget>

#include <cstddef>
#include <optional>
#include <vector>

class QListWidget;
class QListWidgetItem;
class QLabel;
class QToolButton;

namespace skerrow {

// The list of a game's ends and shots beside the board, with buttons that
// step through it. Choosing a row (a click, the arrow keys, Home, End)
// asks for its position; the window decides what is shown and tells the list
// which row to mark. Left and Right step like Up and Down.
//
// Child object names: "historyList", "historyFirst", "historyPrevious",
// "historyNext", "historyLast", "historyReplay", "historyPlace".
class HistoryPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryPanel)

public:
    explicit HistoryPanel(QWidget* parent = nullptr);
    ~HistoryPanel() override;

    // Replaces the rows; the marked position is kept where it still exists.
    void SetRows(std::vector<HistoryRow> rows);
    // Marks the row of `position` (position 0, the start, marks none) and
    // says where the board is: `live` while it follows the game.
    void ShowPosition(std::size_t position, bool live, const QString& place);
    // Scales the fonts to the window's zoom (per cent).
    void SetZoom(int zoomPercent);

    QListWidget* list() const { return m_list; }
    std::size_t rowCount() const { return m_rows.size(); }
    const HistoryRow& row(std::size_t index) const { return m_rows.at(index); }

Q_SIGNALS:
    void positionChosen(std::size_t position);
    void firstRequested();
    void previousRequested();
    void nextRequested();
    void lastRequested();
    // Replay the shot that led to the position on the board.
    void replayRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnCurrentRowChanged(int row);
    QToolButton* AddButton(const QString& name, const QString& text, const QString& toolTip);

    QListWidget* m_list = nullptr;
    QLabel* m_place = nullptr;
    std::vector<HistoryRow> m_rows;
    // Set while the list is marked from outside, so that marking a row does
    // not ask for its position again.
    bool m_marking = false;
    int m_zoom = 100;
};

} // namespace skerrow
