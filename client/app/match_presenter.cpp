#include "match_presenter.h"

#include "game_rules.h"
#include "printable_text.h"
#include "score_board.h"

#include <string>

namespace skerrow {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Printable(std::string_view text) {
    return FromUtf8(PrintableText(text));
}

} // namespace

MatchPresenter::MatchPresenter(QObject* parent) : QObject(parent), m_gameState(EmptySheet()) {}

QString MatchPresenter::captionText() const {
    return UpdateTurnCaption(m_gameState);
}

QString MatchPresenter::TitleFor(const RelayStatus& status) {
    QString state;
    switch (status.link) {
    case RelayStatus::Link::Connected:
        state = QStringLiteral("接続");
        break;
    case RelayStatus::Link::Connecting:
        state = QStringLiteral("接続中…");
        break;
    case RelayStatus::Link::NotConnected:
        state = QStringLiteral("未接続");
        break;
    case RelayStatus::Link::CouldNotConnect:
        state = QStringLiteral("未接続（接続できませんでした）");
        break;
    case RelayStatus::Link::Lost:
        state = QStringLiteral("未接続（接続が切れました）");
        break;
    }
    return FromUtf8(status.engineName) + QStringLiteral(" - ") + state;
}

QString MatchPresenter::NoticeText(const RelayNotice& notice) {
    const QString subject = FromUtf8(PrintableText(notice.subject, kQuotedLineBytes));
    switch (notice.kind) {
    case RelayNotice::Kind::RandomSizeRefused:
        return QStringLiteral("SETRAND %1 は有限の数ではありません（乱数の大きさは変わりません）")
            .arg(subject);
    case RelayNotice::Kind::LogNotOpened:
        return QStringLiteral("ログを作成できません: %1").arg(subject);
    case RelayNotice::Kind::EngineLineNotAnAnswer:
        return QStringLiteral("思考エンジンの出力「%1」は %2 への正しい応答ではありません"
                              "（そのまま送信しました）")
            .arg(subject, FromUtf8(notice.detail));
    case RelayNotice::Kind::EngineLineUnasked:
        return QStringLiteral("思考エンジンが応答を求められていないときに出力しました: 「%1」"
                              "（そのまま送信しました）")
            .arg(subject);
    case RelayNotice::Kind::EngineNoticesSuppressed:
        return QStringLiteral("このゲームでは、これ以上の思考エンジンの出力を報告しません");
    }
    return {};
}

void MatchPresenter::OnReplayFinished() {
    m_replayRunning = false;
    Q_EMIT replayEnded();
}

void MatchPresenter::OnReadyAnswered() {
    m_askingReady = false;
    Q_EMIT readyAnswered();
}

void MatchPresenter::OnServerMessageShown(std::string_view text, const ParseResult&) {
    m_serverMessage = FromUtf8(PrintableText("Server: " + std::string(text), kShownMessageBytes));
    Q_EMIT serverMessageChanged(m_serverMessage);
}

void MatchPresenter::OnGameStarted(const NewGame& newGame) {
    m_redName = Printable(newGame.red);
    m_yellowName = Printable(newGame.yellow);
    Q_EMIT gameStarted(m_redName, m_yellowName);
}

void MatchPresenter::OnPositionChanged(const GameState& state) {
    m_gameState = state;
    Q_EMIT positionChanged();
}

void MatchPresenter::OnEndScored(const GameState& state, const Score&) {
    m_gameState = state;
    Q_EMIT scoresChanged();
}

void MatchPresenter::OnNotice(const RelayNotice& notice) {
    Q_EMIT noticeRaised(NoticeText(notice));
}

void MatchPresenter::OnRelayStatusChanged(const RelayStatus& status) {
    Q_EMIT titleChanged(TitleFor(status));
}

bool MatchPresenter::StartReplay(const GameState& start, ShotVec shot, float randomSize) {
    if (m_replayRunning || !m_player || !m_player(start, shot, randomSize)) {
        return false;
    }
    m_replayRunning = true;
    Q_EMIT replayStarted();
    return true;
}

void MatchPresenter::AskReady() {
    m_askingReady = true;
    Q_EMIT readyAsked();
}

} // namespace skerrow
