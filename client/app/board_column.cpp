#include "board_column.h"

#include "board_presenter.h"
#include "game_rules.h"
#include "history_panel.h"
#include "rink_geometry.h"
#include "status_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace skerrow {

BoardColumn::BoardColumn(BoardPresenter& board, std::function<const GameState&()> live,
                         QWidget* parent)
    : QWidget(parent), m_board(board), m_live(std::move(live)) {
    setObjectName(QStringLiteral("boardColumn"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 6);
    column->setSpacing(4);
    m_status = new StatusPanel(this);
    column->addWidget(m_status);
    m_history = new HistoryPanel(this);
    column->addWidget(m_history, 1);

    auto* hand = new QHBoxLayout;
    hand->setContentsMargins(6, 0, 6, 0);
    auto* weightLabel = new QLabel(QStringLiteral("重さ:"), this);
    hand->addWidget(weightLabel);
    m_weight = new QComboBox(this);
    m_weight->setObjectName(QStringLiteral("handWeight"));
    for (const HandWeightChoice& choice : HandShot::Choices()) {
        m_weight->addItem(QString::fromUtf8(choice.label), static_cast<int>(choice.kind));
        m_weight->setItemData(m_weight->count() - 1, QString::fromUtf8(choice.toolTip),
                              Qt::ToolTipRole);
    }
    m_weight->setToolTip(
        QStringLiteral("手で打つときの重さ。予想される石の道筋が盤面に描かれ、Enter で送信します"));
    weightLabel->setToolTip(m_weight->toolTip());
    hand->addWidget(m_weight, 1);
    column->addLayout(hand);
    connect(m_weight, &QComboBox::currentIndexChanged, this, &BoardColumn::handWeightChanged);

    auto* trial = new QHBoxLayout;
    trial->setContentsMargins(6, 0, 6, 0);
    m_undo = new QPushButton(QStringLiteral("試し打ちを戻す"), this);
    m_undo->setObjectName(QStringLiteral("undoTrial"));
    m_undo->setToolTip(QStringLiteral("最後の試し打ちを取り消します (Ctrl+Z)"));
    trial->addWidget(m_undo);
    m_returnToLive = new QPushButton(QStringLiteral("試合に戻る"), this);
    m_returnToLive->setObjectName(QStringLiteral("returnToLive"));
    m_returnToLive->setToolTip(QStringLiteral("開いた記録を閉じ、進行中の試合を表示します"));
    trial->addWidget(m_returnToLive);
    column->addLayout(trial);
    connect(m_undo, &QPushButton::clicked, &m_board, &BoardPresenter::Undo);
    connect(m_returnToLive, &QPushButton::clicked, &m_board, &BoardPresenter::ReturnToLiveGame);

    connect(m_history, &HistoryPanel::positionChosen, &m_board, &BoardPresenter::GoTo);
    connect(m_history, &HistoryPanel::firstRequested, &m_board, &BoardPresenter::First);
    connect(m_history, &HistoryPanel::previousRequested, &m_board, &BoardPresenter::Previous);
    connect(m_history, &HistoryPanel::nextRequested, &m_board, &BoardPresenter::Next);
    connect(m_history, &HistoryPanel::lastRequested, &m_board, &BoardPresenter::Last);
    connect(m_history, &HistoryPanel::replayRequested, &m_board, &BoardPresenter::ReplayShown);
    connect(&m_board, &BoardPresenter::historyChanged, this, &BoardColumn::RebuildRows);
    connect(&m_board, &BoardPresenter::changed, this, &BoardColumn::Refresh);

    m_tick.setInterval(250);
    connect(&m_tick, &QTimer::timeout, this, &BoardColumn::Refresh);
    SetZoom(100);
    RebuildRows();
    Refresh();
}

BoardColumn::~BoardColumn() = default;

void BoardColumn::RebuildRows() {
    m_history->SetRows(m_board.HistoryRows());
    Refresh();
}

void BoardColumn::Refresh() {
    const GameState& live = m_live();
    StatusPanel::Clock red{m_board.SideName(kRed), m_board.ClockText(kRed),
                           m_board.ClockRunning(kRed)};
    StatusPanel::Clock yellow{m_board.SideName(kYellow), m_board.ClockText(kYellow),
                              m_board.ClockRunning(kYellow)};
    m_status->ShowClocks(red, yellow);
    m_status->ShowTurn(m_board.TurnText(live), m_board.TurnColour(live));
    m_status->ShowAnnouncement(m_board.announcement());
    m_status->ShowConnection(m_board.connectionText());
    m_status->ShowEngine(m_board.engineText());
    m_history->ShowPosition(m_board.history().viewIndex(), m_board.isFollowingLiveGame(),
                            m_board.PlaceText());
    m_undo->setEnabled(m_board.canUndo());
    m_returnToLive->setVisible(m_board.source() == BoardPresenter::Source::File);
    const bool running = red.running || yellow.running;
    if (running && !m_tick.isActive()) {
        m_tick.start();
    } else if (!running) {
        m_tick.stop();
    }
}

void BoardColumn::SetZoom(int zoomPercent) {
    setFixedWidth(RinkGeometry::Zoomed(StatusPanel::kWidth, zoomPercent));
    m_status->SetZoom(zoomPercent);
    m_history->SetZoom(zoomPercent);
    QFont font = m_weight->font();
    font.setPixelSize(RinkGeometry::Zoomed(12, zoomPercent));
    for (QWidget* widget : {static_cast<QWidget*>(m_weight), static_cast<QWidget*>(m_undo),
                            static_cast<QWidget*>(m_returnToLive)}) {
        widget->setFont(font);
    }
}

HandWeight BoardColumn::handWeight() const {
    return static_cast<HandWeight>(m_weight->currentData().toInt());
}

} // namespace skerrow
