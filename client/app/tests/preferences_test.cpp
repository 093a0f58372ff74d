#include "preferences.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using skerrow::Preferences;
using skerrow::ReplaySpeed;

// Each speed read back as written, by a second reader of the same file; a
// missing file or a value this program never wrote reads as the default.
TEST(Preferences, TheReplaySpeedIsKeptInTheFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("skerrow.ini"));
    EXPECT_EQ(Preferences(file).replaySpeed(), ReplaySpeed::AsDrawn);

    Preferences writer(file);
    for (const ReplaySpeed speed : {ReplaySpeed::RealTime, ReplaySpeed::Double,
                                    ReplaySpeed::Quadruple, ReplaySpeed::AsDrawn}) {
        writer.setReplaySpeed(speed);
        EXPECT_EQ(Preferences(file).replaySpeed(), speed) << static_cast<int>(speed);
    }

    QFile ini(file);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[Display]\nReplaySpeed=warp\n");
    ini.close();
    EXPECT_EQ(Preferences(file).replaySpeed(), ReplaySpeed::AsDrawn);
}

// The flip and the zoom come back as written; a zoom the window does not
// offer reads as 100 %.
TEST(Preferences, FlipAndZoomAreKeptInTheFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("skerrow.ini"));
    EXPECT_FALSE(Preferences(file).flipped());
    EXPECT_EQ(Preferences(file).zoomPercent(), 100);
    Preferences writer(file);
    writer.setFlipped(true);
    writer.setZoomPercent(150);
    EXPECT_TRUE(Preferences(file).flipped());
    EXPECT_EQ(Preferences(file).zoomPercent(), 150);
    writer.setFlipped(false);
    EXPECT_FALSE(Preferences(file).flipped());

    QFile ini(file);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[Display]\nZoom=175\n");
    ini.close();
    EXPECT_EQ(Preferences(file).zoomPercent(), 100);
}
