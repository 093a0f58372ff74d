#pragma once

#include "rink_geometry.h"
#include "rink_images.h"

#include <tarnwick/tarnwick.h>

#include <QColor>
#include <QImage>
#include <QMutex>
#include <QPoint>

#include <map>
#include <utility>
#include <vector>

namespace skerrow {

// The two rink views as composed by one DrawRink call, each the size of its
// background picture and opaque. A view whose background picture is missing
// is a null image: the window then leaves that view as it was.
struct RinkViews {
    QImage viewA;
    QImage viewB;
};

// What the window adds to a position on the views besides the aim marker.
struct RinkExtras {
    // Flip and zoom of both views.
    ViewOptions view;
    // Index (0 to 15) of the stone played last, ringed so that the eye finds
    // it; -1 for none.
    int lastStone = -1;
    // The predicted path of a delivery, as sheet points in metres from the
    // delivery point to where the stone comes to rest; drawn as a curve when
    // it has two points or more.
    std::vector<StonePosition> path;
};

// Draws the sheet with its stones, and optionally the aim marker's curl icons
// and aiming line, into the two rink views.
//
// Each call starts again from the background pictures and keeps nothing.
// Calls are serialised, so that the window and a thread computing replay
// frames may both draw.
class RinkRenderer {
public:
    // Marker value, in either coordinate, that means "no marker" (compared
    // as a 16-bit value).
    static constexpr int kNoMarker = -1;
    // The marker of a mouse position never set, client pixel (0, 0), in
    // view-A pixels: icons are shown but no aiming line.
    static constexpr int kUnsetMarkerX = -84;
    static constexpr int kUnsetMarkerY = -36;

    // Curl icons in view A: 50 x 50 pixels each, CurveR at the left (curl 0),
    // CurveL at the right (curl 1).
    static constexpr int kIconSize = 50;
    static constexpr QPoint kCurveRCorner{10, 504};
    static constexpr QPoint kCurveLCorner{177, 504};

    // Colour of the aiming line (ARGB 100, 255, 0, 0) and its widths, in
    // pixels of view A and view B.
    static constexpr int kAimAlpha = 100;
    static constexpr float kAimWidthA = 2.0f;
    static constexpr float kAimWidthB = 0.5f;

    // The smallest a stone is drawn, in pixels across on the screen: view B's
    // scale would make it 3.85, too small to tell its colour.
    static constexpr float kMinStonePixels = 5.0f;
    // The ring about the stone played last and the predicted path.
    static constexpr QColor kLastStoneRing{20, 190, 90};
    static constexpr QColor kPathColour{130, 40, 200};

    explicit RinkRenderer(RinkImages images);
    RinkRenderer(const RinkRenderer&) = delete;
    RinkRenderer& operator=(const RinkRenderer&) = delete;

    // Composes both views.
    //
    // position      the stones drawn; a stone with x or y exactly 0 is not in
    //               play and is skipped.
    // markerX/Y     the aim marker in view-A pixels; only the low 16 bits
    //               count. -1 in either means no marker: no icons, no line.
    //               (-84, -36) shows the icons without the line.
    // colourSource  the position on show: its shotNumber and turnFlag decide
    //               which stones are red, so that a replay frame keeps the
    //               colours of the position it started from.
    // curl          the curl choice: 0 shows CurveR in full and CurveL dimmed,
    //               anything else the other way round.
    // extras        flip and zoom (the views come out at the zoomed size),
    //               the stone played last and a predicted path.
    RinkViews DrawRink(const GameState& position, int markerX, int markerY,
                       const GameState& colourSource, int curl,
                       const RinkExtras& extras = {}) const;

    // Where the stone centred on `stone` is drawn, in pixels of a view of
    // the given scale before zooming: its square, grown about its centre to
    // kMinStonePixels on the screen where the scale makes it smaller.
    static QRectF DrawnStoneSquare(StonePosition stone, float scale, int zoomPercent);

    // True when stones with an even index are red for this position on show:
    // shotNumber % 2 (sign kept) equals turnFlag.
    static bool EvenStonesRed(const GameState& colourSource);

    const RinkImages& images() const { return m_images; }

private:
    // Background over opaque white, then the stones at `scale` pixels per
    // metre, the last stone's ring and the path, zoomed and turned as
    // `extras` says; null when the background is missing.
    QImage ComposeSheet(const QImage& background, float scale, const GameState& position,
                        bool evenRed, const RinkExtras& extras) const;
    // The stone picture shrunk to `pixels` across with area averaging: drawn
    // straight from 64 pixels to 15, its rim would fall between the samples.
    const QImage& StonePicture(bool red, int pixels) const;

    RinkImages m_images;
    // Stone pictures by colour and size; filled under the lock.
    mutable std::map<std::pair<bool, int>, QImage> m_stoneCache;
    // Held for a whole DrawRink call: the pictures are shared by all calls.
    mutable QMutex m_mutex;
};

} // namespace skerrow
