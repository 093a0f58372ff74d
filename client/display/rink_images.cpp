#include "rink_images.h"

#include <QColorSpace>
#include <QDir>
#include <QFileInfo>

namespace skerrow {

namespace {

// A picture drawn over others: premultiplied ARGB, the raster engine's own
// format, in sRGB when the file says which colours it means.
QImage LoadOverlay(const QDir& folder, const char* name) {
    QImage image(folder.filePath(QString::fromLatin1(name)));
    if (image.isNull()) {
        return image;
    }
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace::SRgb) {
        image.convertToColorSpace(QColorSpace::SRgb);
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A background: taken as stored, without colour conversion.
QImage LoadBackground(const QDir& folder, const char* name) {
    return QImage(folder.filePath(QString::fromLatin1(name)));
}

} // namespace

QString RinkImages::FindImageFolder(const QString& currentDir, const QString& executableDir) {
    for (const QString& base : {currentDir, executableDir}) {
        if (base.isEmpty()) {
            continue;
        }
        const QString folder = QDir(base).filePath(QString::fromLatin1(kImageSubfolder));
        if (QFileInfo(QDir(folder).filePath(QString::fromLatin1(kScoreFile))).isFile()) {
            return QDir::cleanPath(folder);
        }
    }
    return {};
}

bool RinkImages::Load(const QString& folder) {
    // An empty name would mean the current directory to QDir; here it means
    // that no image folder was found.
    if (folder.isEmpty()) {
        *this = RinkImages();
        return false;
    }
    const QDir dir(folder);
    m_stoneRed = LoadOverlay(dir, kStoneRedFile);
    m_stoneYellow = LoadOverlay(dir, kStoneYellowFile);
    m_curveL = LoadOverlay(dir, kCurveLFile);
    m_curveR = LoadOverlay(dir, kCurveRFile);
    m_rinkA = LoadBackground(dir, kRinkAFile);
    m_rinkB = LoadBackground(dir, kRinkBFile);
    m_score = LoadBackground(dir, kScoreFile);
    return !m_score.isNull();
}

} // namespace skerrow
