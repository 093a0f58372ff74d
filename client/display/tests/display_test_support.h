#pragma once

// Shared by the display tests: the pictures the build painted, copies of
// them with a file left out, and colour checks.

#include "rink_images.h"

#include <tarnwick/tarnwick.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace skerrow::test {

inline QString BuiltImageFolder() {
    return QStringLiteral(SKERROW_IMAGE_DIR);
}

inline RinkImages LoadBuiltImages() {
    RinkImages images;
    EXPECT_TRUE(images.Load(BuiltImageFolder()))
        << "the build should have painted " << SKERROW_IMAGE_DIR;
    return images;
}

// Copies the built pictures into `dir`, all but `leftOut` (empty: none).
inline void CopyBuiltImages(const QTemporaryDir& dir, const char* leftOut) {
    const QDir from(BuiltImageFolder());
    for (const QString& name : from.entryList(QDir::Files)) {
        if (leftOut && name == QLatin1String(leftOut)) {
            continue;
        }
        ASSERT_TRUE(QFile::copy(from.filePath(name), QDir(dir.path()).filePath(name)));
    }
}

// A position with no stones in play, as at start-up.
inline GameState EmptyPosition() {
    GameState state{};
    state.lastEnd = 10;
    return state;
}

inline bool IsRedStone(QColor c) {
    return c.red() > 150 && c.green() < 110 && c.blue() < 110;
}

inline bool IsYellowStone(QColor c) {
    return c.red() > 150 && c.green() > 140 && c.blue() < 110;
}

// Largest difference of the three colour channels.
inline int ColourDistance(QColor a, QColor b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

inline QColor Pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

} // namespace skerrow::test
