#include "board_presenter.h"

#include "board_file.h"
#include "game_rules.h"
#include "match_numbers.h"
#include "position_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <span>
#include <string>
#include <utility>
#include <variant>

namespace skerrow {

namespace {

QString Side(int colour) {
    return colour == kRed ? QStringLiteral("赤") : QStringLiteral("黄");
}

QString Delivery(ShotVec shot) {
    return QStringLiteral("%1, %2 %3")
        .arg(shot.vx, 0, 'f', 3)
        .arg(shot.vy, 0, 'f', 3)
        .arg(shot.curl == 0 ? QStringLiteral("右") : QStringLiteral("左"));
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "赤 2 点" for an end's result, positive when red scored.
QString EndPoints(int redScore) {
    if (redScore == 0) {
        return QStringLiteral("0 点（ブランクエンド）");
    }
    return QStringLiteral("%1 %2 点")
        .arg(Side(redScore > 0 ? kRed : kYellow))
        .arg(std::abs(redScore));
}

} // namespace

BoardPresenter::BoardPresenter(const MatchClock& clock, QObject* parent)
    : QObject(parent), m_clock(clock), m_clocks(clock), m_live(EmptySheet()) {
    m_liveState = EmptySheet();
}

BoardPresenter::~BoardPresenter() = default;

void BoardPresenter::SetPhysics(BoardPhysics physics, PhysicsBinding::SimulationTraceFn trace) {
    m_physics = physics;
    m_trace = trace;
}

// --- The live game ---------------------------------------------------------

void BoardPresenter::OnGameStarted(const QString& red, const QString& yellow) {
    m_live = GameHistory(EmptySheet(m_liveState.lastEnd > 0 ? m_liveState.lastEnd : kEnds));
    m_live.SetNames(red.toStdString(), yellow.toStdString());
    m_clocks.Reset();
    m_asked.reset();
    m_holdingEnd = false;
    m_ownColour.reset();
    m_gameOn = true;
    m_announcement.clear();
    m_result.clear();
    Q_EMIT historyChanged();
    Q_EMIT changed();
}

void BoardPresenter::OnLivePosition(const GameState& state) {
    m_liveState = state;
    if (m_live.shotCount() == 0) {
        m_live.SetStart(state);
    }
    Q_EMIT changed();
}

void BoardPresenter::OnGoReceived(const Go& go) {
    m_clocks.OnGo(go);
    Q_EMIT changed();
}

void BoardPresenter::OnGoShown() {
    m_ownColour = m_liveState.turnFlag == kRed ? kRed : kYellow;
    if (!m_engineRunning) {
        Q_EMIT alertRequested();
    }
    Q_EMIT changed();
}

void BoardPresenter::OnTurn(int turn) {
    if (m_gameOn) {
        m_clocks.OnTurn(turn == kRed ? kRed : kYellow);
    }
    Q_EMIT changed();
}

void BoardPresenter::OnAsked(ShotVec delivery) {
    m_asked = delivery;
}

void BoardPresenter::OnDelivered(ShotVec played) {
    const GameState before = m_liveState;
    HistoryShot shot;
    shot.end = before.currentEnd;
    shot.shot = before.shotNumber;
    shot.colour = before.turnFlag == kRed ? kRed : kYellow;
    if (m_ownColour == shot.colour) {
        shot.asked = m_asked;
    }
    m_asked.reset();
    shot.played = played;
    shot.before = before;
    shot.after = before;
    if (m_physics.simulation != nullptr && before.shotNumber >= 0 &&
        before.shotNumber < kStonesPerEnd) {
        GameState rest = before;
        if (m_physics.simulation(&rest, played, 0.0f, nullptr, -1) == 1) {
            shot.after = PositionAfterShot(before, std::span<const StonePosition>(rest.stones));
        }
    }
    const bool lastOfEnd = before.shotNumber == kStonesPerEnd - 1;
    m_live.Append(std::move(shot));
    m_holdingEnd = lastOfEnd;
    if (m_result.isEmpty()) {
        m_announcement.clear();
    }
    Q_EMIT historyChanged();
    Q_EMIT changed();
}

void BoardPresenter::OnEndScored(const Score& score) {
    if (score.redScores.empty()) {
        return;
    }
    const int end = static_cast<int>(score.redScores.size());
    const int redScore = score.redScores.back();
    if (m_live.shotCount() > 0 && m_live.shotAt(m_live.shotCount() - 1).end == end - 1) {
        m_live.ScoreLastShot(redScore);
    }
    const Points points = Tally(score.redScores);
    Announce(QStringLiteral("第%1エンド: %2\n合計 赤 %3 - %4 黄")
                 .arg(end)
                 .arg(EndPoints(redScore))
                 .arg(points.red)
                 .arg(points.yellow));
    Q_EMIT historyChanged();
}

void BoardPresenter::OnGameOver() {
    m_clocks.Stop();
    m_gameOn = false;
    std::vector<int> redScores;
    for (int end = 0; end < kEnds; ++end) {
        redScores.push_back(m_liveState.endScores[end]);
    }
    const Points points = Tally(redScores);
    const QString red = SideName(kRed);
    const QString yellow = SideName(kYellow);
    QString winner;
    if (points.red == points.yellow) {
        winner = QStringLiteral("引き分け");
    } else {
        winner = QStringLiteral("%1 の勝ち").arg(points.red > points.yellow ? red : yellow);
    }
    m_result = QStringLiteral("試合終了\n%1 %2 - %3 %4\n%5")
                   .arg(red)
                   .arg(points.red)
                   .arg(points.yellow)
                   .arg(yellow, winner);
    m_live.SetResult(m_result.toStdString());
    Announce(m_result);
}

void BoardPresenter::SetEngineRunning(bool running) {
    m_engineRunning = running;
    Q_EMIT changed();
}

void BoardPresenter::SetRelayState(QString linkWords, QString engineName) {
    m_connectionText = QStringLiteral("サーバー: %1").arg(linkWords);
    m_engineName = std::move(engineName);
    Q_EMIT changed();
}

QString BoardPresenter::engineText() const {
    if (!m_engineRunning) {
        return QStringLiteral("エンジン: なし（手で打ちます）");
    }
    return QStringLiteral("エンジン: %1 が打ちます").arg(m_engineName);
}

void BoardPresenter::StopClocks() {
    m_clocks.Stop();
    Q_EMIT changed();
}

void BoardPresenter::SetConnected(bool connected) {
    m_connected = connected;
    if (!connected) {
        m_clocks.Stop();
    }
    Q_EMIT changed();
}

void BoardPresenter::Announce(QString text) {
    m_announcement = std::move(text);
    Q_EMIT changed();
}

// --- What the board shows --------------------------------------------------

GameHistory& BoardPresenter::current() {
    return m_source == Source::File && m_file ? *m_file : m_live;
}

const GameHistory& BoardPresenter::history() const {
    return m_source == Source::File && m_file ? *m_file : m_live;
}

bool BoardPresenter::isFollowingLiveGame() const {
    return m_source == Source::Live && m_live.isLive();
}

const GameState& BoardPresenter::ShownPosition(const GameState& live) const {
    if (m_trial && m_trial->canUndo()) {
        return m_trial->position();
    }
    if (m_source == Source::File) {
        return history().view();
    }
    if (!m_live.isLive() || (m_holdingEnd && m_live.shotCount() > 0)) {
        return m_live.view();
    }
    return live;
}

int BoardPresenter::LastStone(const GameState& live) const {
    const auto fromShotNumber = [](const GameState& state) {
        return state.shotNumber > 0 && state.shotNumber <= kStonesPerEnd ? state.shotNumber - 1
                                                                         : -1;
    };
    if (m_trial && m_trial->canUndo()) {
        return fromShotNumber(m_trial->position());
    }
    if (m_source == Source::File || !m_live.isLive() || m_holdingEnd) {
        const HistoryShot* shot = history().viewedShot();
        return shot ? shot->shot : -1;
    }
    return fromShotNumber(live);
}

QString BoardPresenter::announcement() const {
    if (isFollowingLiveGame() && !(m_trial && m_trial->canUndo())) {
        return m_announcement;
    }
    const GameHistory& shown = history();
    const HistoryShot* shot = shown.viewedShot();
    if (shot != nullptr && shot->endScore) {
        QString text =
            QStringLiteral("第%1エンド: %2").arg(shot->end + 1).arg(EndPoints(*shot->endScore));
        if (shown.viewIndex() == shown.shotCount() && shown.result()) {
            text += QLatin1Char('\n') + FromUtf8(*shown.result());
        }
        return text;
    }
    return {};
}

QString BoardPresenter::SideName(int colour) const {
    const std::string& name = history().NameOf(colour);
    return name.empty() ? Side(colour) : FromUtf8(name);
}

std::optional<int> BoardPresenter::TurnColour(const GameState& live) const {
    const GameState& shown = ShownPosition(live);
    if (shown.shotNumber >= kStonesPerEnd) {
        return std::nullopt;
    }
    return shown.turnFlag == kRed ? kRed : kYellow;
}

QString BoardPresenter::TurnText(const GameState& live) const {
    if (!isFollowingLiveGame()) {
        const std::optional<int> colour = TurnColour(live);
        if (!colour) {
            return QStringLiteral("エンド終了");
        }
        return QStringLiteral("%1（%2）の番").arg(Side(*colour), SideName(*colour));
    }
    if (!m_result.isEmpty()) {
        return QStringLiteral("試合終了");
    }
    if (!m_gameOn) {
        return QStringLiteral("対局待ち");
    }
    const int colour = live.turnFlag == kRed ? kRed : kYellow;
    if (m_ownColour == colour) {
        return QStringLiteral("あなたの番です");
    }
    return QStringLiteral("%1（%2）の番です").arg(Side(colour), SideName(colour));
}

QString BoardPresenter::ClockText(int colour) const {
    return QString::fromStdString(m_clocks.Text(colour));
}

bool BoardPresenter::ClockRunning(int colour) const {
    return m_clocks.running() == colour;
}

std::vector<HistoryRow> BoardPresenter::HistoryRows() const {
    std::vector<HistoryRow> rows;
    const GameHistory& shown = history();
    rows.push_back({QStringLiteral("開始局面"), std::size_t{0}, {}});
    for (std::size_t i = 0; i < shown.shotCount(); ++i) {
        const HistoryShot& shot = shown.shotAt(i);
        if (i == 0 || shown.shotAt(i - 1).end != shot.end) {
            rows.push_back({QStringLiteral("第%1エンド").arg(shot.end + 1), std::nullopt, {}});
        }
        QString text = QStringLiteral("%1投目 %2 %3\n  要求 %4\n  実際 %5")
                           .arg(shot.shot + 1)
                           .arg(Side(shot.colour), SideName(shot.colour))
                           .arg(shot.asked ? Delivery(*shot.asked) : QStringLiteral("―"))
                           .arg(Delivery(shot.played));
        if (shot.endScore) {
            text += QStringLiteral("\n  → %1").arg(EndPoints(*shot.endScore));
        }
        rows.push_back(
            {text, i + 1, shot.colour == kRed ? QColor(200, 30, 36) : QColor(Qt::yellow)});
    }
    return rows;
}

QString BoardPresenter::PlaceText() const {
    if (m_trial && m_trial->canUndo()) {
        return QStringLiteral("試し打ち %1 投（元に戻す: Ctrl+Z）").arg(m_trial->undoDepth());
    }
    const GameHistory& shown = history();
    if (m_source == Source::File) {
        return QStringLiteral("%1: %2 / %3")
            .arg(m_fileName)
            .arg(shown.viewIndex())
            .arg(shown.shotCount());
    }
    if (shown.isLive()) {
        return QStringLiteral("進行中の試合");
    }
    return QStringLiteral("%1 / %2 投目を表示中（End で試合に戻る）")
        .arg(shown.viewIndex())
        .arg(shown.shotCount());
}

// --- Stepping --------------------------------------------------------------

void BoardPresenter::AfterStep(bool moved) {
    if (moved) {
        m_trial.reset();
        Q_EMIT changed();
    }
}

bool BoardPresenter::First() {
    const bool moved = current().First();
    AfterStep(moved);
    return moved;
}

bool BoardPresenter::Previous() {
    const bool moved = current().Previous();
    AfterStep(moved);
    return moved;
}

bool BoardPresenter::Next() {
    const bool moved = current().Next();
    AfterStep(moved);
    return moved;
}

bool BoardPresenter::Last() {
    const bool moved = current().Last();
    AfterStep(moved);
    return moved;
}

bool BoardPresenter::GoTo(std::size_t position) {
    const bool moved = current().GoTo(position);
    AfterStep(moved);
    return moved;
}

bool BoardPresenter::ReplayShown() {
    if (m_trial && m_trial->canUndo() && m_lastTrialShot) {
        Q_EMIT replayRequested(m_trial->positionBefore(), *m_lastTrialShot);
        return true;
    }
    const HistoryShot* shot = history().viewedShot();
    if (shot == nullptr) {
        return false;
    }
    Q_EMIT replayRequested(shot->before, shot->played);
    return true;
}

// --- Files -----------------------------------------------------------------

std::optional<QString> BoardPresenter::Open(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("%1 を開けません: %2").arg(path, file.errorString());
    }
    const QByteArray bytes = file.readAll();
    const std::string name = QFileInfo(path).fileName().toStdString();
    auto opened =
        OpenBoardFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      name, m_physics);
    if (const auto* error = std::get_if<BoardFileError>(&opened)) {
        return QString::fromStdString(error->Text());
    }
    m_file = std::move(std::get<OpenedBoardFile>(opened).history);
    m_file->First();
    m_fileName = QFileInfo(path).fileName();
    m_source = Source::File;
    m_trial.reset();
    Q_EMIT historyChanged();
    Q_EMIT changed();
    return std::nullopt;
}

std::optional<QString> BoardPresenter::Save(const QString& path, const GameState& live) const {
    const std::string text = SavePosition(ShownPosition(live));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        return QStringLiteral("%1 に保存できません: %2").arg(path, file.errorString());
    }
    return std::nullopt;
}

void BoardPresenter::ReturnToLiveGame() {
    m_source = Source::Live;
    m_trial.reset();
    m_live.Last();
    Q_EMIT historyChanged();
    Q_EMIT changed();
}

// --- Trial shots -------------------------------------------------------------

bool BoardPresenter::canTry() const {
    return m_source == Source::File && !m_connected;
}

std::optional<QString> BoardPresenter::Try(ShotVec delivery) {
    if (!canTry()) {
        return QStringLiteral("試し打ちは、局面を開いてサーバーにつないでいないときにできます");
    }
    if (!m_trial) {
        m_trial = std::make_unique<TrialBoard>(m_physics, history().view());
    }
    const TrialBoard::Outcome outcome = m_trial->Play(delivery);
    if (!outcome.played) {
        switch (outcome.refusal.value_or(TrialBoard::Refusal::ShotRefused)) {
        case TrialBoard::Refusal::NoPhysics:
            return QStringLiteral("物理ライブラリがありません");
        case TrialBoard::Refusal::GameOver:
            return QStringLiteral("すべてのエンドが終わっています");
        case TrialBoard::Refusal::TargetRefused:
        case TrialBoard::Refusal::ShotRefused:
            break;
        }
        return QStringLiteral("この投球は打てません");
    }
    m_lastTrialShot = outcome.played;
    Q_EMIT changed();
    Q_EMIT replayRequested(m_trial->positionBefore(), *outcome.played);
    return std::nullopt;
}

bool BoardPresenter::canUndo() const {
    return m_trial && m_trial->canUndo();
}

bool BoardPresenter::Undo() {
    if (!canUndo() || !m_trial->Undo()) {
        return false;
    }
    m_lastTrialShot.reset();
    Q_EMIT changed();
    return true;
}

} // namespace skerrow
