#include "skerrow_dlg.h"

#include "about_dlg.h"
#include "connect_dlg.h"
#include "executable_file_filter.h"
#include "relay_session.h"
#include "rink_geometry.h"
#include "rink_images.h"
#include "score_board.h"
#include "static_text.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace skerrow {

namespace {

using Layout = ScoreBoardLayout;

// The replay speeds of the menu.
struct SpeedChoice {
    ReplaySpeed speed;
    const char* objectName; // of the menu item
    const char* text;       // of the menu item
};

constexpr std::array<SpeedChoice, 4> kSpeedChoices{{
    {ReplaySpeed::AsDrawn, "speedAsDrawn", "計算どおり(&D)"},
    {ReplaySpeed::RealTime, "speedRealTime", "実時間(&1)"},
    {ReplaySpeed::Double, "speedDouble", "2倍速(&2)"},
    {ReplaySpeed::Quadruple, "speedQuadruple", "4倍速(&4)"},
}};

// The layout's texts of the score cells, replaced by empty ones at start-up.
QString LayoutCellText(int controlId) {
    const int first =
        controlId < Layout::kFirstYellowEndId ? Layout::kFirstRedEndId : Layout::kFirstYellowEndId;
    return QString::number(controlId - first + 1);
}

// The dialog font of the layout, or the Japanese face this machine has; its
// size in pixels is that of 9 points on a 96 dpi screen, which the dialog
// units were measured with.
QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("Noto Sans JP")});
    font.setPixelSize(12);
    return font;
}

// `font` made smaller, down to a floor, until `text` fits `width` pixels.
QFont FontToFit(QFont font, const QString& text, int width) {
    constexpr int kSmallestPixels = 8;
    while (font.pixelSize() > kSmallestPixels &&
           QFontMetrics(font).horizontalAdvance(text) > width) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

// `line` cut to at most `limit` bytes, between UTF-8 characters.
QByteArray CutUtf8(QByteArray line, int limit) {
    if (line.size() <= limit) {
        return line;
    }
    qsizetype cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    line.truncate(cut);
    return line;
}

} // namespace

QSize CSkerrowDlg::ClientSize() {
    const QPoint corner = Layout::DialogToPixels(kClientWidthUnits, kClientHeightUnits);
    return {corner.x(), corner.y()};
}

CSkerrowDlg::CSkerrowDlg(DlgSetup setup, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_setup(std::move(setup)), m_prompts(prompts),
      m_physics(m_setup.libraryFolder, m_setup.libraryBaseName),
      m_preferences(m_setup.preferencesFile) {
    setFont(WindowFont());
    setWindowTitle(QString::fromUtf8(kInitialTitle));

    // The menu bar above, the client area of the layout's fixed size below;
    // the window cannot be resized.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("clientArea"));
    m_client->setFixedSize(ClientSize());
    layout->addWidget(m_client);
    // Below the layout's area, so that no control moves. A long message is
    // cut at the window's edge; it never widens the window.
    m_statusLine = new QStatusBar(this);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    m_statusLine->setSizeGripEnabled(false);
    m_statusLine->setFixedHeight(kStatusLineHeight);
    layout->addWidget(m_statusLine);

    BuildControls();
    BuildMenu();

    // Aiming with the mouse: presses and drags anywhere in the client area
    // that no edit or button takes, and moves without a button held.
    m_client->setMouseTracking(true);
    m_client->installEventFilter(this);
}

CSkerrowDlg::~CSkerrowDlg() {
    StopEverything();
    m_session.reset();
    m_replay.reset();
    m_renderer.reset();
}

void CSkerrowDlg::PlaceLabel(QLabel& label, int id, QRect pixels, const QString& text,
                             bool whiteBackground, Qt::Alignment alignment) {
    label.setObjectName(QStringLiteral("control%1").arg(id));
    label.setGeometry(pixels);
    label.setText(text);
    label.setAlignment(alignment);
    label.setTextFormat(Qt::PlainText);
    if (whiteBackground) {
        // White behind the text; the text colour is the platform's.
        QPalette palette = label.palette();
        palette.setColor(QPalette::Window, Qt::white);
        label.setPalette(palette);
        label.setAutoFillBackground(true);
    }
}

void CSkerrowDlg::BuildControls() {
    // Pictures first, so that the score cells lie above the board's picture.
    // Their sizes are those of the pictures, known once they are loaded.
    m_viewA = new QLabel(m_client);
    m_viewB = new QLabel(m_client);
    m_scorePicture = new QLabel(m_client);
    const QPoint viewA = Layout::DialogToPixels(48, 24);
    const QPoint viewB = Layout::DialogToPixels(6, 24);
    const QPoint scorePicture =
        Layout::DialogToPixels(Layout::kPictureOrigin.x(), Layout::kPictureOrigin.y());
    PlaceLabel(*m_viewA, kViewAId, QRect(viewA, QSize(1, 1)), {}, true,
               Qt::AlignLeft | Qt::AlignTop);
    PlaceLabel(*m_viewB, kViewBId, QRect(viewB, QSize(1, 1)), {}, true,
               Qt::AlignLeft | Qt::AlignTop);
    PlaceLabel(*m_scorePicture, kScorePictureId, QRect(scorePicture, QSize(1, 1)), {}, true,
               Qt::AlignLeft | Qt::AlignTop);

    // The caption keeps the platform's colours. The layout's width was made
    // for a narrower face than those found here: the caption's font is as
    // large as the window's, or smaller so that the longest caption of a
    // match (end 10, shot 16) still fits.
    m_caption = new StaticText(m_client);
    const QRect captionRect = Layout::DialogToPixels(Layout::kCaptionRect);
    PlaceLabel(*m_caption, Layout::kCaptionId, captionRect,
               QStringLiteral("第1エンド\u3000赤 - 1投目"), false,
               Qt::AlignLeft | Qt::AlignVCenter);
    m_caption->setFont(
        FontToFit(font(), QStringLiteral("第10エンド\u3000黄 - 16投目"), captionRect.width()));

    m_redName = new StaticText(m_client);
    m_yellowName = new StaticText(m_client);
    PlaceLabel(*m_redName, Layout::kRedNameId,
               Layout::DialogToPixels(Layout::CellRect(Layout::kRedNameId)), QStringLiteral("red"),
               true, Qt::AlignCenter);
    PlaceLabel(*m_yellowName, Layout::kYellowNameId,
               Layout::DialogToPixels(Layout::CellRect(Layout::kYellowNameId)),
               QStringLiteral("yellow"), true, Qt::AlignCenter);
    for (int id = Layout::kFirstCellId; id <= Layout::kLastCellId; ++id) {
        auto* cell = new StaticText(m_client);
        PlaceLabel(*cell, id, Layout::DialogToPixels(Layout::CellRect(id)), LayoutCellText(id),
                   true, Qt::AlignCenter);
        m_cells[static_cast<std::size_t>(id - Layout::kFirstCellId)] = cell;
    }

    m_serverMessage = new StaticText(m_client);
    PlaceLabel(*m_serverMessage, kServerMessageId, Layout::DialogToPixels({6, 474, 174, 8}),
               QString(), true, Qt::AlignLeft | Qt::AlignVCenter);

    m_commandLine = new QLineEdit(m_client);
    m_commandLine->setObjectName(QStringLiteral("control%1").arg(kCommandLineId));
    m_commandLine->setGeometry(Layout::DialogToPixels({6, 486, 120, 14}));

    m_send = new QPushButton(QStringLiteral("送信"), m_client);
    m_send->setObjectName(QStringLiteral("control%1").arg(kSendId));
    m_send->setGeometry(Layout::DialogToPixels({132, 486, 50, 14}));
    // Enter in the command line sends nothing: the button is no default.
    m_send->setAutoDefault(false);
    connect(m_send, &QPushButton::clicked, this, &CSkerrowDlg::Send);
}

QAction* CSkerrowDlg::AddCommand(QMenu& menu, const QString& text, int commandId) {
    QAction* action = menu.addAction(text);
    action->setObjectName(QStringLiteral("command%1").arg(commandId));
    return action;
}

void CSkerrowDlg::BuildMenu() {
    // Commands with no behaviour yet are there and enabled, and do nothing.
    QMenu* file = m_menuBar->addMenu(QStringLiteral("ファイル(&F)"));
    AddCommand(*file, QStringLiteral("局面を開く(&O)"), kOpenPositionCommand);
    AddCommand(*file, QStringLiteral("局面を保存(&S)"), kSavePositionCommand);
    connect(AddCommand(*file, QStringLiteral("閉じる(&C)"), kCloseCommand), &QAction::triggered,
            this, &QWidget::close);

    QMenu* game = m_menuBar->addMenu(QStringLiteral("ゲーム(&G)"));
    connect(AddCommand(*game, QStringLiteral("接続(&C)"), kConnectCommand), &QAction::triggered,
            this, &CSkerrowDlg::OpenConnectDialog);
    connect(AddCommand(*game, QStringLiteral("エンジンの選択(&E)"), kSelectEngineCommand),
            &QAction::triggered, this, &CSkerrowDlg::OpenEngineDialog);

    QMenu* view = m_menuBar->addMenu(QStringLiteral("表示(&V)"));
    AddCommand(*view, QStringLiteral("上下反転(&R)"), kFlipCommand);
    view->addSeparator();
    AddSpeedChoices(*view->addMenu(QStringLiteral("再生速度(&P)")));

    QMenu* help = m_menuBar->addMenu(QStringLiteral("ヘルプ(&H)"));
    AddCommand(*help, QStringLiteral("使い方(&H)"), kUsageCommand);
    connect(AddCommand(*help, QStringLiteral("バージョン情報(&A)"), kAboutCommand),
            &QAction::triggered, this, &CSkerrowDlg::OpenAboutBox);
    // The window manager owns the system menu here, so its About item lives
    // at the end of the Help menu.
    help->addSeparator();
    connect(AddCommand(*help, QStringLiteral("バージョン情報 Skerrow(&A)..."), kSystemAboutCommand),
            &QAction::triggered, this, &CSkerrowDlg::OpenAboutBox);
}

void CSkerrowDlg::AddSpeedChoices(QMenu& menu) {
    m_speeds = new QActionGroup(this);
    m_speeds->setExclusive(true);
    for (const SpeedChoice& choice : kSpeedChoices) {
        QAction* action = menu.addAction(QString::fromUtf8(choice.text));
        action->setObjectName(QString::fromLatin1(choice.objectName));
        action->setCheckable(true);
        action->setChecked(choice.speed == ReplaySpeed::AsDrawn);
        action->setData(static_cast<int>(choice.speed));
        m_speeds->addAction(action);
        const ReplaySpeed speed = choice.speed;
        connect(action, &QAction::triggered, this, [this, speed] { SetReplaySpeed(speed); });
    }
}

bool CSkerrowDlg::Initialise() {
    if (m_initialised) {
        return true;
    }
    m_serverMessage->setText(QString::fromUtf8(kInitialServerMessage));

    RinkImages images;
    if (!images.Load(m_setup.imageFolder)) {
        m_prompts.ShowError(QString::fromUtf8(RinkImages::kLoadFailedTitle),
                            QString::fromUtf8(RinkImages::kLoadFailedText));
        return false;
    }
    // The pictures take their images' sizes; the views are far larger than
    // the layout's controls, as the sheet needs.
    m_viewA->resize(images.rinkA().isNull() ? QSize(1, 1) : images.rinkA().size());
    m_viewB->resize(images.rinkB().isNull() ? QSize(1, 1) : images.rinkB().size());
    m_scorePicture->setPixmap(QPixmap::fromImage(images.score()));
    m_scorePicture->resize(images.score().size());
    if (!images.stoneRed().isNull()) {
        setWindowIcon(QIcon(QPixmap::fromImage(images.stoneRed())));
    }
    m_renderer = std::make_unique<RinkRenderer>(std::move(images));

    // The relay: its engine name is "Skerrow" until an engine is chosen.
    m_session = std::make_unique<RelaySession>(m_presenter, m_presenter, m_physics, &m_presenter,
                                               m_setup.logBase);
    WireSession();
    WirePresenter();

    m_replay = std::make_unique<ReplayDriver>(m_physics);
    m_presenter.setReplayPlayer([this](const GameState& start, ShotVec shot, float randomSize) {
        return m_replay && m_replay->Start(start, shot, randomSize);
    });
    connect(m_replay.get(), &ReplayDriver::frameReady, this,
            [this](const GameState& frame, int step) {
                DrawViews(frame, RinkRenderer::kNoMarker, RinkRenderer::kNoMarker);
                Q_EMIT replayFrameShown(step);
                Q_EMIT activity();
            });
    connect(m_replay.get(), &ReplayDriver::refused, this, [this] {
        ShowStatus(QStringLiteral("再生できません: 物理ライブラリがこの局面か投球を受け付けません"
                                  "でした"));
    });
    connect(m_replay.get(), &ReplayDriver::finished, this, &CSkerrowDlg::OnReplayFinished);
    const ReplaySpeed speed = m_preferences.replaySpeed();
    m_replay->setSpeed(speed);
    for (QAction* action : m_speeds->actions()) {
        action->setChecked(action->data().toInt() == static_cast<int>(speed));
    }

    m_redName->clear();
    m_yellowName->clear();
    for (QLabel* cell : m_cells) {
        cell->clear();
    }

    if (!m_physics.Load()) {
        m_prompts.ShowError(PhysicsBinding::ErrorTitle(), m_physics.failureMessage());
        return false;
    }
    m_initialised = true;
    return true;
}

void CSkerrowDlg::WirePresenter() {
    connect(&m_presenter, &MatchPresenter::serverMessageChanged, this, [this](const QString& text) {
        m_serverMessage->setText(text);
        Q_EMIT activity();
    });
    connect(&m_presenter, &MatchPresenter::gameStarted, this,
            [this](const QString& red, const QString& yellow) {
                m_redName->setText(red);
                m_yellowName->setText(yellow);
                // Emptied before the repaint that shows the new game, which
                // writes only the cells that game has reached.
                for (QLabel* cell : m_cells) {
                    cell->clear();
                }
                Q_EMIT activity();
            });
    connect(&m_presenter, &MatchPresenter::positionChanged, this, [this] {
        m_caption->setText(m_presenter.captionText());
        Repaint();
        Q_EMIT activity();
    });
    connect(&m_presenter, &MatchPresenter::scoresChanged, this, [this] {
        Repaint();
        Q_EMIT activity();
    });
    connect(&m_presenter, &MatchPresenter::titleChanged, this, &QWidget::setWindowTitle);
    connect(&m_presenter, &MatchPresenter::noticeRaised, this, &CSkerrowDlg::ShowStatus);
    connect(&m_presenter, &MatchPresenter::replayStarted, this, [this] {
        m_send->setEnabled(false);
        Q_EMIT activity();
    });
    connect(&m_presenter, &MatchPresenter::replayEnded, this, [this] {
        m_send->setEnabled(true);
        // Server messages held for the replay are handled now.
        if (m_session) {
            m_session->OnReplayEnded();
        }
        Q_EMIT replayEnded();
        Q_EMIT activity();
    });
    connect(&m_presenter, &MatchPresenter::readyAsked, this, &CSkerrowDlg::AskReady);
    connect(&m_presenter, &MatchPresenter::readyAnswered, this, &CSkerrowDlg::OnReadyAnswered);
}

void CSkerrowDlg::WireSession() {
    RelaySession& session = *m_session;
    connect(&session, &RelaySession::linkUp, this, [this] {
        m_connecting = false;
        ShowStatus(QStringLiteral("接続しました: %1").arg(m_server));
        Q_EMIT linkChanged(true);
        Q_EMIT activity();
    });
    connect(&session, &RelaySession::connectAttemptFailed, this, [this](const QString& reason) {
        ShowStatus(QStringLiteral("接続中… %1（接続できません: %2。再試行しています）")
                       .arg(m_server, reason));
    });
    connect(&session, &RelaySession::gaveUp, this, [this](const QString& reason) {
        m_connecting = false;
        ShowStatus(QStringLiteral("接続できませんでした: %1").arg(reason));
        TellAboutLink(
            QStringLiteral("サーバー %1 に接続できませんでした。\n%2").arg(m_server, reason));
        Q_EMIT activity();
    });
    connect(&session, &RelaySession::linkDown, this, [this](const QString& reason) {
        ShowStatus(QStringLiteral("接続が切れました: %1").arg(reason));
        TellAboutLink(
            QStringLiteral("サーバー %1 との接続が切れました。\n%2").arg(m_server, reason));
        Q_EMIT linkChanged(false);
        Q_EMIT activity();
    });
    connect(&session, &RelaySession::engineFailed, this, [this](const QString& reason) {
        ShowStatus(QStringLiteral("思考エンジンを起動できませんでした: %1").arg(reason));
        // Told from the event loop: the failure may be reported while the
        // engine is still being started.
        QTimer::singleShot(0, this, [this, reason] {
            m_prompts.ShowError(QStringLiteral("エラー"),
                                QStringLiteral("思考エンジンを起動できませんでした\n") + reason);
        });
    });
    connect(&session, &RelaySession::engineExited, this, [this](int code, bool crashed) {
        ShowStatus(crashed
                       ? QStringLiteral("思考エンジンが異常終了しました")
                       : QStringLiteral("思考エンジンが終了しました（終了コード %1）").arg(code));
    });
    connect(&session, &RelaySession::engineStalled, this, [this](qint64 pending) {
        ShowStatus(
            QStringLiteral("思考エンジンが入力を読まないため終了させました（未読 %1 バイト）")
                .arg(pending));
    });
}

void CSkerrowDlg::StartEngine(const QString& program, const QStringList& arguments) {
    if (!m_session) {
        return;
    }
    m_session->StartEngine(program, arguments);
    Q_EMIT activity();
}

void CSkerrowDlg::ConnectTo(const ConnectionSettings& settings) {
    if (!m_session) {
        return;
    }
    m_connecting = true;
    m_server =
        QStringLiteral("%1:%2").arg(QString::fromStdString(settings.address)).arg(settings.port);
    ShowStatus(QStringLiteral("接続中… %1").arg(m_server));
    m_session->ConnectTo(settings);
    Q_EMIT activity();
}

void CSkerrowDlg::Send() {
    if (!m_session) {
        return;
    }
    const QByteArray line = CutUtf8(m_commandLine->text().toUtf8(), kCommandLineBytes);
    m_commandLine->clear();
    m_aim.OnCommandSent();
    DrawViews(m_presenter.gameState(), RinkRenderer::kNoMarker, RinkRenderer::kNoMarker);
    m_session->SendUserLine(
        std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
    Q_EMIT activity();
}

void CSkerrowDlg::Repaint() {
    DrawViews(m_presenter.gameState(), RinkRenderer::kNoMarker, RinkRenderer::kNoMarker);
    UpdateScoreBoard();
}

bool CSkerrowDlg::isIdle() const {
    return !m_presenter.isReplayRunning() && !m_connecting &&
           (!m_session || m_session->handler().heldMessages() == 0);
}

QWidget* CSkerrowDlg::Control(int id) const {
    switch (id) {
    case kViewAId:
        return m_viewA;
    case kViewBId:
        return m_viewB;
    case kScorePictureId:
        return m_scorePicture;
    case Layout::kCaptionId:
        return m_caption;
    case Layout::kRedNameId:
        return m_redName;
    case Layout::kYellowNameId:
        return m_yellowName;
    case kServerMessageId:
        return m_serverMessage;
    case kCommandLineId:
        return m_commandLine;
    case kSendId:
        return m_send;
    default:
        break;
    }
    if (id >= Layout::kFirstCellId && id <= Layout::kLastCellId) {
        return m_cells[static_cast<std::size_t>(id - Layout::kFirstCellId)];
    }
    return nullptr;
}

QString CSkerrowDlg::ControlText(int id) const {
    QWidget* control = Control(id);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        return button->text();
    }
    return {};
}

ReplaySpeed CSkerrowDlg::replaySpeed() const {
    return m_replay ? m_replay->speed() : ReplaySpeed::AsDrawn;
}

void CSkerrowDlg::SetReplaySpeed(ReplaySpeed speed) {
    if (m_replay) {
        m_replay->setSpeed(speed);
    }
    for (QAction* action : m_speeds->actions()) {
        action->setChecked(action->data().toInt() == static_cast<int>(speed));
    }
    m_preferences.setReplaySpeed(speed);
}

void CSkerrowDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Repaint();
}

void CSkerrowDlg::closeEvent(QCloseEvent* event) {
    StopEverything();
    event->accept();
}

bool CSkerrowDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            return HandleMouse(*event);
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool CSkerrowDlg::HandleMouse(QEvent& event) {
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    const QPoint at = mouse.position().toPoint();
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        if (mouse.button() == Qt::LeftButton) {
            ApplyAim(m_aim.LeftPress(at, m_presenter.isReplayRunning()));
        } else if (mouse.button() == Qt::RightButton) {
            ApplyAim(m_aim.RightPress());
        }
        return true;
    case QEvent::MouseButtonDblClick:
        // The second press of a right double-click counts as a press; that
        // of a left one is not used.
        if (mouse.button() == Qt::RightButton) {
            ApplyAim(m_aim.RightPress());
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (mouse.button() == Qt::LeftButton) {
            ApplyAim(m_aim.LeftRelease(at, m_presenter.isReplayRunning()));
        }
        return true;
    case QEvent::MouseMove:
        ApplyAim(m_aim.PointerMove(at, m_presenter.isReplayRunning()));
        return true;
    default:
        return false;
    }
}

void CSkerrowDlg::ApplyAim(const ManualShotEntry::Outcome& outcome) {
    switch (outcome.kind) {
    case ManualShotEntry::Outcome::Kind::Unchanged:
        return;
    case ManualShotEntry::Outcome::Kind::MarkerShown:
        m_commandLine->setText(QString::fromStdString(outcome.commandText));
        DrawViews(m_presenter.gameState(), outcome.markerX, outcome.markerY);
        return;
    case ManualShotEntry::Outcome::Kind::MarkerHidden:
        m_commandLine->clear();
        DrawViews(m_presenter.gameState(), RinkRenderer::kNoMarker, RinkRenderer::kNoMarker);
        return;
    }
}

void CSkerrowDlg::DrawViews(const GameState& position, int markerX, int markerY) {
    if (!m_renderer) {
        return;
    }
    // The colours of the stones come from the position on show, so that they
    // stay put while a shot is replayed.
    const RinkViews views =
        m_renderer->DrawRink(position, markerX, markerY, m_presenter.gameState(), m_aim.curl());
    if (!views.viewA.isNull()) {
        m_viewA->setPixmap(QPixmap::fromImage(views.viewA));
    }
    if (!views.viewB.isNull()) {
        m_viewB->setPixmap(QPixmap::fromImage(views.viewB));
    }
}

void CSkerrowDlg::UpdateScoreBoard() {
    const ScoreBoardTexts texts = skerrow::UpdateScoreBoard(m_presenter.gameState());
    for (int id = Layout::kFirstCellId; id <= Layout::kLastCellId; ++id) {
        if (const std::optional<QString> text = texts.ForControl(id)) {
            m_cells[static_cast<std::size_t>(id - Layout::kFirstCellId)]->setText(*text);
        }
    }
}

QString CSkerrowDlg::statusText() const {
    return m_statusLine->currentMessage();
}

void CSkerrowDlg::ShowStatus(const QString& text) {
    m_statusLine->showMessage(text);
    m_statusLine->setToolTip(text);
    Q_EMIT activity();
}

void CSkerrowDlg::TellAboutLink(const QString& text) {
    if (!m_linkBox) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("接続"), QString(),
                                    QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("linkBox"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        // The relay and the window go on while it is open.
        box->setModal(false);
        m_linkBox = box;
    }
    m_linkBox->setText(text);
    m_linkBox->show();
}

void CSkerrowDlg::OnReplayFinished() {
    // The presenter's replayEnded() tells the relay.
    m_presenter.OnReplayFinished();
}

void CSkerrowDlg::AskReady() {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kReadyTitle),
                                QString::fromUtf8(kReadyText), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("readyBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::finished, &m_presenter, &MatchPresenter::OnReadyAnswered);
    m_readyBox = box;
    // Shown without a nested event loop: the relay holds the server's
    // messages until the answer comes.
    box->open();
    Q_EMIT activity();
}

void CSkerrowDlg::OnReadyAnswered() {
    m_readyBox = nullptr;
    if (m_session) {
        m_session->OnReadyAnswered();
    }
    Q_EMIT activity();
}

void CSkerrowDlg::OpenConnectDialog() {
    if (!m_session) {
        return;
    }
    // One at a time; one that was closed and only waits to be deleted
    // makes way for a new one.
    if (m_connectDialog && m_connectDialog->isVisible()) {
        m_connectDialog->raise();
        m_connectDialog->activateWindow();
        return;
    }
    auto* dialog = new CConnectDlg(
        m_prompts, [this] { return m_session && m_session->isEngineRunning(); },
        m_setup.connectionSettingsFile, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The current link and relay go on while the dialog is open, and after
    // a cancel; only checked entries replace the link.
    connect(dialog, &CConnectDlg::connectRequested, this, &CSkerrowDlg::ConnectTo);
    m_connectDialog = dialog;
    dialog->open();
}

void CSkerrowDlg::OpenEngineDialog() {
    // One at a time; one that was closed and only waits to be deleted
    // makes way for a new one.
    if (m_engineDialog && m_engineDialog->isVisible()) {
        m_engineDialog->raise();
        m_engineDialog->activateWindow();
        return;
    }
    auto* dialog = new QFileDialog(this, QStringLiteral("エンジンの選択"));
    dialog->setObjectName(QStringLiteral("engineDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
#if defined(Q_OS_WIN)
    dialog->setNameFilter(QStringLiteral("EXE Files (*.exe)"));
#else
    // Programs here have no suffix of their own: the list shows the files
    // that may be run, and the folders to get to them.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilter(QStringLiteral("実行ファイル (*)"));
    dialog->setProxyModel(new ExecutableFileFilter(dialog));
#endif
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString& program) { StartEngine(program); });
    m_engineDialog = dialog;
    dialog->open();
}

void CSkerrowDlg::OpenAboutBox() {
    auto* about = new CAboutDlg(windowIcon(), this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void CSkerrowDlg::StopEverything() {
    // Boxes and dialogs still open would call back into a window that is
    // going; they go first, without being answered.
    for (QDialog* dialog : std::initializer_list<QDialog*>{
             m_readyBox.data(), m_linkBox.data(), m_connectDialog.data(), m_engineDialog.data()}) {
        if (dialog) {
            dialog->disconnect(this);
            delete dialog;
        }
    }
    // A replay stops before the pictures it draws with are released.
    if (m_replay) {
        m_replay->Cancel();
    }
    m_presenter.OnReplayCancelled();
}

} // namespace skerrow
