#include "board_relay_events.h"

#include "board_presenter.h"

#include <QString>

#include <variant>

namespace skerrow {

void BoardRelayEvents::OnServerMessageReceived(std::string_view text, const ParseResult& parsed) {
    m_window.OnServerMessageReceived(text, parsed);
    // The clocks count from the moment the server spoke, not from when a
    // replay let the message through.
    if (const auto* go = std::get_if<Go>(&parsed)) {
        m_board.OnGoReceived(*go);
    } else if (const auto* setState = std::get_if<SetState>(&parsed)) {
        m_board.OnTurn(setState->turn);
    } else if (std::holds_alternative<RunShot>(parsed) ||
               std::holds_alternative<GameOver>(parsed)) {
        m_board.StopClocks();
    }
}

void BoardRelayEvents::OnServerMessageShown(std::string_view text, const ParseResult& parsed) {
    // Before the relay acts on it: a delivery is played on the position
    // still on show.
    if (const auto* runShot = std::get_if<RunShot>(&parsed)) {
        m_board.OnDelivered(runShot->shot);
    }
    m_window.OnServerMessageShown(text, parsed);
    if (std::holds_alternative<Go>(parsed)) {
        m_board.OnGoShown();
    } else if (std::holds_alternative<GameOver>(parsed)) {
        m_board.OnGameOver();
    }
}

void BoardRelayEvents::OnGameStarted(const NewGame& newGame) {
    m_window.OnGameStarted(newGame);
    m_board.OnGameStarted(QString::fromStdString(newGame.red),
                          QString::fromStdString(newGame.yellow));
}

void BoardRelayEvents::OnPositionChanged(const GameState& state) {
    m_window.OnPositionChanged(state);
    m_board.OnLivePosition(state);
}

void BoardRelayEvents::OnEndScored(const GameState& state, const Score& score) {
    m_window.OnEndScored(state, score);
    m_board.OnLivePosition(state);
    m_board.OnEndScored(score);
}

void BoardRelayEvents::OnNotice(const RelayNotice& notice) {
    m_window.OnNotice(notice);
}

void BoardRelayEvents::OnRelayStatusChanged(const RelayStatus& status) {
    m_window.OnRelayStatusChanged(status);
    QString words;
    switch (status.link) {
    case RelayStatus::Link::NotConnected:
        words = QStringLiteral("未接続");
        break;
    case RelayStatus::Link::Connecting:
        words = QStringLiteral("接続しようとしています…");
        break;
    case RelayStatus::Link::Connected:
        words = QStringLiteral("接続しています");
        break;
    case RelayStatus::Link::CouldNotConnect:
        words = QStringLiteral("接続できませんでした");
        break;
    case RelayStatus::Link::Lost:
        words = QStringLiteral("接続が切れました");
        break;
    }
    m_board.SetRelayState(words, QString::fromStdString(status.engineName));
    m_board.SetConnected(status.link == RelayStatus::Link::Connected);
}

} // namespace skerrow
