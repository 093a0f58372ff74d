#include "score_board_layout.h"

#include <array>

namespace skerrow {

namespace {

// Rows and columns of the board, in dialog units. The columns are uneven and
// the two rows differ in the second column's width, as laid out.
constexpr int kRedRowY = 436;
constexpr int kYellowRowY = 456;
constexpr int kRowHeight = 8;
constexpr DialogRect kNameColumn{8, 0, 37, kRowHeight};
constexpr std::array<int, kEnds> kEndX{46, 58, 69, 81, 92, 104, 115, 127, 140, 154};
constexpr std::array<int, kEnds> kRedEndWidth{11, 9, 11, 10, 11, 10, 11, 11, 11, 11};
constexpr std::array<int, kEnds> kYellowEndWidth{11, 10, 11, 10, 11, 10, 11, 11, 11, 11};
constexpr int kTotalX = 170;
constexpr int kTotalWidth = 11;

// Dialog units to pixels with halves rounded up: 7/4 pixels across, 3/2 down.
constexpr int UnitsToPixelsX(int units) {
    return (units * 7 + 2) / 4;
}
constexpr int UnitsToPixelsY(int units) {
    return (units * 3 + 1) / 2;
}

} // namespace

DialogRect ScoreBoardLayout::CellRect(int controlId) {
    if (controlId == kRedNameId) {
        return {kNameColumn.x, kRedRowY, kNameColumn.width, kRowHeight};
    }
    if (controlId == kYellowNameId) {
        return {kNameColumn.x, kYellowRowY, kNameColumn.width, kRowHeight};
    }
    if (controlId == kRedTotalId) {
        return {kTotalX, kRedRowY, kTotalWidth, kRowHeight};
    }
    if (controlId == kYellowTotalId) {
        return {kTotalX, kYellowRowY, kTotalWidth, kRowHeight};
    }
    if (controlId >= kFirstRedEndId && controlId < kFirstRedEndId + kEnds) {
        const auto end = static_cast<std::size_t>(controlId - kFirstRedEndId);
        return {kEndX[end], kRedRowY, kRedEndWidth[end], kRowHeight};
    }
    if (controlId >= kFirstYellowEndId && controlId < kFirstYellowEndId + kEnds) {
        const auto end = static_cast<std::size_t>(controlId - kFirstYellowEndId);
        return {kEndX[end], kYellowRowY, kYellowEndWidth[end], kRowHeight};
    }
    return {0, 0, 0, 0};
}

QPoint ScoreBoardLayout::DialogToPixels(int x, int y) {
    return {UnitsToPixelsX(x), UnitsToPixelsY(y)};
}

QRect ScoreBoardLayout::DialogToPixels(DialogRect rect) {
    const QPoint topLeft = DialogToPixels(rect.x, rect.y);
    const QPoint bottomRight = DialogToPixels(rect.x + rect.width, rect.y + rect.height);
    // QRect's bottom-right is inclusive; the converted corner is the first
    // pixel past the rectangle.
    return {topLeft, bottomRight - QPoint(1, 1)};
}

QRect ScoreBoardLayout::CellInPicture(int controlId) {
    const QPoint picture = DialogToPixels(kPictureOrigin.x(), kPictureOrigin.y());
    return DialogToPixels(CellRect(controlId)).translated(-picture);
}

} // namespace skerrow
