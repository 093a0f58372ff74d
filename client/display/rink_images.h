#pragma once

#include <QImage>
#include <QString>

namespace skerrow {

// The seven pictures of the display: two sheet backgrounds, two stones, two
// curl icons and the score board's background. Loaded once at start-up and
// read only afterwards.
//
// A picture that could not be read stays a null QImage. Only the score board
// is required; a missing stone or icon is simply not drawn, and a view whose
// background is missing is not drawn at all (see RinkRenderer).
class RinkImages {
public:
    // File names inside the image folder.
    static constexpr char kRinkAFile[] = "Rink_A.bmp";
    static constexpr char kRinkBFile[] = "Rink_B.bmp";
    static constexpr char kStoneRedFile[] = "stone_r.png";
    static constexpr char kStoneYellowFile[] = "stone_y.png";
    static constexpr char kCurveLFile[] = "CurveL.png";
    static constexpr char kCurveRFile[] = "CurveR.png";
    static constexpr char kScoreFile[] = "Score.bmp";

    // The folder below the current directory or the executable's that holds
    // the pictures.
    static constexpr char kImageSubfolder[] = "System/Image";

    // What the program says, in a box titled kLoadFailedTitle, before it ends
    // when Load fails. UTF-8.
    static constexpr char kLoadFailedText[] = "グラフィックの読み込みに失敗しました";
    static constexpr char kLoadFailedTitle[] = "エラー";

    // The image folder to load from: "System/Image" below `currentDir` if it
    // holds Score.bmp, else the same below `executableDir` if that does, else
    // an empty string (loading from it then fails).
    static QString FindImageFolder(const QString& currentDir, const QString& executableDir);

    // Loads all seven pictures from `folder`, replacing what was loaded
    // before. Returns false only when Score.bmp cannot be read; the other six
    // may be missing. The four PNG pictures are converted to sRGB when they
    // carry a colour profile; the bitmaps are taken as they are.
    bool Load(const QString& folder);

    // Background of view A: the sheet at 49.89474 pixels per metre.
    const QImage& rinkA() const { return m_rinkA; }
    // Background of view B: the sheet at 13.26318 pixels per metre.
    const QImage& rinkB() const { return m_rinkB; }
    const QImage& stoneRed() const { return m_stoneRed; }
    const QImage& stoneYellow() const { return m_stoneYellow; }
    // Curl icon drawn at the right of view A, selected by curl 1.
    const QImage& curveL() const { return m_curveL; }
    // Curl icon drawn at the left of view A, selected by curl 0.
    const QImage& curveR() const { return m_curveR; }
    // Score board background, at its natural size.
    const QImage& score() const { return m_score; }

private:
    QImage m_rinkA;
    QImage m_rinkB;
    QImage m_stoneRed;
    QImage m_stoneYellow;
    QImage m_curveL;
    QImage m_curveR;
    QImage m_score;
};

} // namespace skerrow
