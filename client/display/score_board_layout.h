#pragma once

#include "match_numbers.h"

#include <QPoint>
#include <QRect>

namespace skerrow {

// A control's rectangle in dialog units of the main window.
struct DialogRect {
    int x;
    int y;
    int width;
    int height;
};

// Where the score board's controls sit in the main window. The window places
// its controls from this, and the score board picture is drawn to it, so that
// the picture's grid lines fall between the cells.
class ScoreBoardLayout {
public:
    ScoreBoardLayout() = delete;

    // Control ids.
    static constexpr int kPictureId = 1003;     // the score board picture
    static constexpr int kCaptionId = 1009;     // the turn caption above view A
    static constexpr int kRedNameId = 1010;     // red row: first player's name
    static constexpr int kYellowNameId = 1011;  // yellow row: second player's name
    static constexpr int kFirstRedEndId = 1012; // red ends 1 to 10: 1012 to 1021
    static constexpr int kRedTotalId = 1022;
    static constexpr int kFirstYellowEndId = 1023; // yellow ends 1 to 10: 1023 to 1032
    static constexpr int kYellowTotalId = 1033;
    static constexpr int kFirstCellId = kFirstRedEndId; // the point cells, 1012 to 1033
    static constexpr int kLastCellId = kYellowTotalId;
    static constexpr int kCellCount = kLastCellId - kFirstCellId + 1;

    // Top-left corner of the score board picture, in dialog units.
    static constexpr QPoint kPictureOrigin{6, 408};
    // The caption's rectangle, in dialog units.
    static constexpr DialogRect kCaptionRect{119, 9, 63, 8};

    // Rectangle of a name or point cell (ids 1010 to 1033) in dialog units;
    // all zero for any other id.
    static DialogRect CellRect(int controlId);

    // Dialog units to client pixels, at 1.75 pixels across and 1.5 down per
    // unit, halves rounded up (what the dialog template does with its font).
    static QPoint DialogToPixels(int x, int y);
    // A rectangle's corners converted one by one.
    static QRect DialogToPixels(DialogRect rect);

    // A cell's pixels relative to the picture's top-left corner.
    static QRect CellInPicture(int controlId);
};

} // namespace skerrow
