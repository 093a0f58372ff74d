#pragma once

#include "connection_settings.h"
#include "manual_shot_entry.h"
#include "match_presenter.h"
#include "physics_binding.h"
#include "preferences.h"
#include "replay_driver.h"
#include "rink_renderer.h"
#include "score_board_layout.h"
#include "user_prompts.h"

#include <tarnwick/tarnwick.h>

#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <filesystem>
#include <memory>

class QAction;
class QActionGroup;
class QCloseEvent;
class QEvent;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QMessageBox;
class QPushButton;
class QShowEvent;
class QStatusBar;

namespace skerrow {

class CConnectDlg;
class RelaySession;

// Where the window finds what it loads and keeps.
struct DlgSetup {
    // The folder with the seven pictures (RinkImages::FindImageFolder); empty
    // when none was found, which fails the start-up.
    QString imageFolder;
    // Looked in first for the physics library (the program's own folder).
    QString libraryFolder;
    // The physics library's name without the platform's prefix and suffix.
    QString libraryBaseName = QStringLiteral("Tarnwick");
    // Match logs go below this folder, in Log/.
    std::filesystem::path logBase = ".";
    // The connection dialog's settings file.
    QString connectionSettingsFile = QStringLiteral("./Connection.ini");
    // The user's preferences (the replay speed) as an INI file; empty for the
    // user's own settings file of this program.
    QString preferencesFile;
};

// The main window: both rink views, the score board, the turn caption, the
// last server message, the command line with its Send button, and the menu.
// It keeps the layout, the menus and the dialogs. What the relay session
// tells it goes through its MatchPresenter, which keeps the position on show,
// the replay and the readiness question; the replay speed is kept in the
// Preferences. It starts the session's engine and server link from its menu.
//
// The client area below the menu bar is fixed at 191 x 511 dialog units, one
// unit being 1.75 pixels across and 1.5 down; every control sits at its
// rectangle in those units, so view A's corner is client pixel (84, 36),
// where the mouse aiming expects it.
//
// Below the client area a status line says what the window is doing and
// what went wrong: connecting, a failed attempt and why, the link lost, a
// replay the library refused, an engine line that is no answer. When a
// connect request gives up or the link is lost, a message box that does not
// block the window says so too, until the user dismisses it.
//
// Child object names, for whoever drives the window without a user: every
// control "control<id>" (for example "control1009" for the caption), the
// client area "clientArea", the status line "statusLine", the menu commands
// "command<id>" (for example "command32776" for connecting), the replay
// speeds "speedAsDrawn", "speedRealTime", "speedDouble" and
// "speedQuadruple", the readiness question "readyBox", the message about the
// link "linkBox" and the engine's file dialog "engineDialog".
class CSkerrowDlg final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSkerrowDlg)

public:
    // Control ids; those of the score board and the caption are in
    // ScoreBoardLayout.
    static constexpr int kViewAId = 1002;
    static constexpr int kScorePictureId = ScoreBoardLayout::kPictureId; // 1003
    static constexpr int kViewBId = 1004;
    static constexpr int kSendId = 1006;
    static constexpr int kServerMessageId = 1007;
    static constexpr int kCommandLineId = 1008;

    // Menu command ids.
    static constexpr int kOpenPositionCommand = 32777;
    static constexpr int kSavePositionCommand = 32778;
    static constexpr int kCloseCommand = 32774;
    static constexpr int kConnectCommand = 32776;
    static constexpr int kSelectEngineCommand = 32783;
    static constexpr int kFlipCommand = 32780;
    static constexpr int kUsageCommand = 32781;
    static constexpr int kAboutCommand = 32775;
    // The About item that other platforms put into the window's system menu.
    static constexpr int kSystemAboutCommand = 16;

    // The client area, in dialog units and in pixels.
    static constexpr int kClientWidthUnits = 191;
    static constexpr int kClientHeightUnits = 511;
    static QSize ClientSize();
    // Height of the status line below the client area, in pixels.
    static constexpr int kStatusLineHeight = 22;

    // Texts the window starts with.
    static constexpr char kInitialTitle[] = "Skerrow - 未接続";
    static constexpr const char* kInitialServerMessage = MatchPresenter::kInitialServerMessage;
    // The readiness question, asked when no engine runs.
    static constexpr char kReadyTitle[] = "ISREADY";
    static constexpr char kReadyText[] = "ゲームを開始します";

    // The longest command line handed to the relay, in bytes.
    static constexpr int kCommandLineBytes = 1023;

    // `prompts` (not owned) shows the window's message boxes and outlives it.
    // The window is built with the texts of its layout; Initialise() makes it
    // ready.
    CSkerrowDlg(DlgSetup setup, UserPrompts& prompts, QWidget* parent = nullptr);
    // Stops a running replay before the pictures go, then the engine.
    ~CSkerrowDlg() override;

    // The start-up: the server message line, the pictures, the position, the
    // engine name, the relay, the empty score board and, last, the physics
    // library. Returns false after telling the user why (the score board's
    // picture or the physics library cannot be loaded); the window must then
    // not be shown, and the program ends. Call once.
    bool Initialise();

    // Starts a thinking engine (the menu's choice or the command line's),
    // replacing any that runs; the title shows its name.
    void StartEngine(const QString& program, const QStringList& arguments = {});
    // Connects to the server with checked settings and logs in.
    void ConnectTo(const ConnectionSettings& settings);

    // The Send button: the command line's text (at most kCommandLineBytes,
    // cut between characters) goes to the relay as the user's line, after the
    // views have been drawn without the aim marker; the line is emptied.
    void Send();

    // Redraws the views without marker from the position on show and
    // rewrites the score board: what happens on every repaint request.
    void Repaint();

    // True when nothing is under way: no replay runs, no server message waits
    // for one, and no connection attempt is pending. An open readiness
    // question with nothing else waiting counts as idle: only the user can go
    // on from there.
    bool isIdle() const;

    // The position on show.
    const GameState& gameState() const { return m_presenter.gameState(); }
    bool isReplayRunning() const { return m_presenter.isReplayRunning(); }
    const MatchPresenter& presenter() const { return m_presenter; }
    // The relay; null before Initialise().
    RelaySession* session() const { return m_session.get(); }
    const PhysicsBinding& physics() const { return m_physics; }

    // The control with this id; null for an unknown id.
    QWidget* Control(int id) const;
    // The text of a text, edit or button control; empty for the others.
    QString ControlText(int id) const;
    // The area below the menu bar, whose pixels the layout counts in.
    QWidget* clientArea() const { return m_client; }
    QMenuBar* menuBar() const { return m_menuBar; }
    // The text of the status line.
    QString statusText() const;

    ReplaySpeed replaySpeed() const;
    // Sets the replay speed and remembers it in the preferences.
    void SetReplaySpeed(ReplaySpeed speed);

Q_SIGNALS:
    // Something was shown or began: the screenshot waits for quiet.
    void activity();
    // A replay frame has been drawn into the views.
    void replayFrameShown(int step);
    // A replay has ended and the relay has been told (messages held for it
    // have been handled).
    void replayEnded();
    // The link to the server is up, or it went down.
    void linkChanged(bool connected);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    QAction* AddCommand(QMenu& menu, const QString& text, int commandId);
    void AddSpeedChoices(QMenu& menu);
    void PlaceLabel(QLabel& label, int id, QRect pixels, const QString& text, bool whiteBackground,
                    Qt::Alignment alignment);

    void OpenConnectDialog();
    void OpenEngineDialog();
    void OpenAboutBox();

    void DrawViews(const GameState& position, int markerX, int markerY);
    void UpdateScoreBoard();
    void ApplyAim(const ManualShotEntry::Outcome& outcome);
    bool HandleMouse(QEvent& event);

    void WireSession();
    // Follows what the presenter says: texts, repaints, replays, questions.
    void WirePresenter();
    void AskReady();
    void ShowStatus(const QString& text);
    // Shows `text` in the message about the link, opening it if needed.
    void TellAboutLink(const QString& text);

    void OnReplayFinished();
    void OnReadyAnswered();
    void StopEverything();

    DlgSetup m_setup;
    UserPrompts& m_prompts;
    PhysicsBinding m_physics;
    Preferences m_preferences;
    MatchPresenter m_presenter;
    bool m_connecting = false;
    bool m_initialised = false;
    // The server of the last connect request, "address:port".
    QString m_server;
    ManualShotEntry m_aim;

    // Declared in this order so that they go in the reverse one: the relay
    // (and with it the engine) first, then the replay, which still draws
    // with the renderer's pictures until it is stopped.
    std::unique_ptr<RinkRenderer> m_renderer;
    std::unique_ptr<ReplayDriver> m_replay;
    std::unique_ptr<RelaySession> m_session;

    QMenuBar* m_menuBar = nullptr;
    QWidget* m_client = nullptr;
    QLabel* m_viewA = nullptr;
    QLabel* m_viewB = nullptr;
    QLabel* m_scorePicture = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_redName = nullptr;
    QLabel* m_yellowName = nullptr;
    std::array<QLabel*, ScoreBoardLayout::kCellCount> m_cells{};
    QLabel* m_serverMessage = nullptr;
    QLineEdit* m_commandLine = nullptr;
    QPushButton* m_send = nullptr;
    QStatusBar* m_statusLine = nullptr;
    QActionGroup* m_speeds = nullptr;

    // Dialogs and boxes open without blocking; they go with the window.
    QPointer<QMessageBox> m_readyBox;
    QPointer<QMessageBox> m_linkBox;
    QPointer<CConnectDlg> m_connectDialog;
    QPointer<QFileDialog> m_engineDialog;
};

} // namespace skerrow
