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
