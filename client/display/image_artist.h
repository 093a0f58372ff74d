#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace skerrow {

// Paints the seven pictures of the display from code, so that the sheet's
// geometry in the pictures is the one the renderer and the mouse use. The
// build runs this through make-images; the program itself only loads the
// files. No fonts are used: every mark is drawn from lines and shapes, so the
// pictures come out the same on every machine.
class ImageArtist {
public:
    ImageArtist() = delete;

    // Sizes, in pixels.
    static constexpr int kRinkAWidth = 237;  // 4.75 m at 49.89474 px/m
    static constexpr int kRinkAHeight = 564; // down to the hog line and the icons' row
    static constexpr int kRinkBWidth = 63;   // 4.75 m at 13.26318 px/m
    static constexpr int kRinkBHeight = 564; // past the delivery point at 547.5
    static constexpr int kStoneSize = 64;
    static constexpr int kIconSize = 50;

    // Palette, for the tests as much as for the pictures.
    static constexpr QColor kIce{236, 243, 250};
    static constexpr QColor kSheetLine{40, 48, 88};
    static constexpr QColor kHogLine{170, 30, 40};
    static constexpr QColor kTwelveFoot{52, 100, 196};
    static constexpr QColor kFourFoot{206, 52, 52};
    static constexpr QColor kRedStone{214, 36, 36};
    static constexpr QColor kYellowStone{240, 200, 30};
    // A stone's granite body, light and shaded, and the dark rim about it,
    // which sets every stone apart from every ring of the house.
    static constexpr QColor kGraniteLight{172, 175, 182};
    static constexpr QColor kGraniteDark{104, 107, 116};
    static constexpr QColor kStoneRim{38, 40, 48};
    static constexpr QColor kArrow{30, 60, 160};
    static constexpr QColor kGrid{70, 80, 110};

    // The sheet from (0, 0) at 49.89474 px/m: the scoring end and the hog line.
    static QImage RinkA();
    // The whole sheet at 13.26318 px/m, with a mark at the delivery point.
    static QImage RinkB();
    // A stone seen from above: a dark rim, a grey granite body and a top of
    // the given colour with the handle's grip, on transparent corners. The
    // top's middle is plain `top`.
    static QImage Stone(QColor top);
    // Curl icon: a path that bends towards +x as the stone travels towards
    // smaller y (CurveR, curl 0), or towards -x (CurveL, curl 1).
    static QImage CurveR();
    static QImage CurveL();
    // The score board background: a grid whose lines fall between the cells.
    static QImage ScoreBoard();

    // Writes all seven files into `folder`, creating it when needed. Returns
    // false, with the reason in `error`, when a file cannot be written.
    static bool WriteAll(const QString& folder, QString* error);
};

} // namespace skerrow
