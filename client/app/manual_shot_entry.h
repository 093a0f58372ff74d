#pragma once

#include <QPoint>

#include <cstdint>
#include <string>

namespace skerrow {

// Aiming a shot with the mouse on the main rink view (view A): a left press
// on the sheet places the aim point and starts a drag, moves drag it, the
// release drops it; a left press on one of the two curl icons picks the curl;
// a right press hides or shows the aim. Each action that shows the aim
// proposes the command line "BESTSHOT x y curl" (the aim point on the sheet,
// in metres) for the user to send.
//
// The state machine only: it is fed mouse events in the main window's client
// pixels and says what the window must do. It draws nothing and owns no
// widget.
class ManualShotEntry {
public:
    // What the window does after an event.
    struct Outcome {
        enum class Kind {
            Unchanged,    // nothing: leave the command line and the views alone
            MarkerShown,  // set the command line to `commandText`, then draw
                          // the views with the marker (markerX, markerY)
            MarkerHidden, // empty the command line, then draw the views
                          // without marker (markerX, markerY are both -1)
        };
        Kind kind = Kind::Unchanged;
        std::string commandText; // the command line's new text; empty when hidden
        // The marker for the rink renderer, in view-A pixels (the aim point
        // less the view's corner): (-84, -36) while no aim point was ever
        // chosen, (-1, -1) when hidden.
        int markerX = -1;
        int markerY = -1;
    };

    // Where the aim point may lie, in client pixels, both ends included: the
    // sheet area of view A.
    static constexpr int kAimMinX = 84;
    static constexpr int kAimMinY = 36;
    static constexpr int kAimMaxX = 320;
    static constexpr int kAimMaxY = 599;

    // The curl icons in client pixels, borders excluded: curl 0 at the left,
    // curl 1 at the right (where the renderer draws them).
    static constexpr int kCurl0IconLeft = 94;  // 94 < x < 144
    static constexpr int kCurl1IconLeft = 260; // 260 < x < 310
    static constexpr int kIconTop = 539;       // 539 < y < 589
    static constexpr int kIconSpan = 50;

    // A left press at client pixel `at`; ignored while a replay runs. On a
    // curl icon it picks that curl and shows the stored aim point (the press
    // itself is not aimed); anywhere else it places the aim point there,
    // clamped into the sheet area, and starts a drag.
    Outcome LeftPress(QPoint at, bool replayRunning);

    // The pointer moved to `at`. During a drag the aim follows it, clamped;
    // otherwise, and while a replay runs, nothing happens. The buttons'
    // state is not consulted: a drag ends only with a left release or a
    // right press.
    Outcome PointerMove(QPoint at, bool replayRunning);

    // A left release at `at`: during a drag it ends the drag with the aim
    // at `at`, clamped; otherwise, and while a replay runs, nothing happens.
    Outcome LeftRelease(QPoint at, bool replayRunning);

    // A right press, or the second press of a right double-click; handled
    // even while a replay runs. Ends a drag, then hides a shown aim (the
    // command line is emptied, whatever the user typed into it) or shows a
    // hidden one again with the stored aim point and curl.
    Outcome RightPress();

    // The command line was sent: the aim counts as hidden and the window
    // draws the views without marker. A drag in progress goes on.
    void OnCommandSent() { m_aimShown = false; }

    // The command for an aim point at client pixel (clientX, clientY) and
    // the curl: "BESTSHOT x y curl" with the sheet point in metres, three
    // decimals and a decimal point in every locale.
    static std::string FormatCommand(int clientX, int clientY, int curl);

    // The curl chosen with the icons: 0 (the left icon) at start, or 1.
    // The rink renderer reads it to decide which icon is drawn in full.
    int curl() const { return m_curl; }
    // The aim point in client pixels; (0, 0) until first chosen.
    QPoint aim() const { return {m_aimX, m_aimY}; }
    bool isDragging() const { return m_dragging; }
    bool isAimShown() const { return m_aimShown; }

private:
    // Moves the aim point to `at`, clamped into the sheet area.
    void AimAt(QPoint at);
    // Shows the aim: the command for the stored aim point and curl.
    Outcome Shown() const;

    std::uint16_t m_aimX = 0;
    std::uint16_t m_aimY = 0;
    bool m_dragging = false;
    bool m_aimShown = false;
    int m_curl = 0;
};

} // namespace skerrow
