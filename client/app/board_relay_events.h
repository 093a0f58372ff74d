#pragma once

#include "relay_events.h"

namespace skerrow {

class BoardPresenter;

// Hands every relay event to the window's own presenter first and then tells
// the board what it needs of it: the names, the live position, the clocks'
// GO and turns, the deliveries, the scores, the end of the game and the
// link. The relay talks to one listener; this is it.
class BoardRelayEvents final : public RelayEvents {
public:
    // Both are not owned and outlive this object.
    BoardRelayEvents(RelayEvents& window, BoardPresenter& board)
        : m_window(window), m_board(board) {}

    void OnServerMessageReceived(std::string_view text, const ParseResult& parsed) override;
    void OnServerMessageShown(std::string_view text, const ParseResult& parsed) override;
    void OnGameStarted(const NewGame& newGame) override;
    void OnPositionChanged(const GameState& state) override;
    void OnEndScored(const GameState& state, const Score& score) override;
    void OnNotice(const RelayNotice& notice) override;
    void OnRelayStatusChanged(const RelayStatus& status) override;

private:
    RelayEvents& m_window;
    BoardPresenter& m_board;
};

} // namespace skerrow
