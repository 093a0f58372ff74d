#include "physics_binding.h"

#include "match_numbers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

const QString kTarnwickDir = QStringLiteral(TARNWICK_DIR);
const QString kStubDir = QStringLiteral(STUB_LIB_DIR);
const QString kStubPath = QStringLiteral(STUB_LIB_PATH);

constexpr ShotPos kTee{kTeeX, kTeeY, 0};

TEST(PhysicsBinding, LoadsTheLibraryFromTheGivenFolderAndPlaysADraw) {
    PhysicsBinding binding(kTarnwickDir);
    ASSERT_TRUE(binding.Load()) << binding.failureDetail().toStdString();
    EXPECT_TRUE(QDir(kTarnwickDir).exists(binding.loadedFile()));
    EXPECT_NE(binding.createHitShot(), nullptr);
    EXPECT_TRUE(binding.hasTrace());

    ShotVec shot{};
    ShotPlanner& planner = binding;
    ASSERT_TRUE(planner.CreateShot(kTee, shot));
    EXPECT_NEAR(shot.vx, -0.099074f, 1e-5f);
    EXPECT_NEAR(shot.vy, -2.955977f, 1e-5f);
    EXPECT_EQ(shot.curl, 0);

    GameState state{};
    state.lastEnd = 10;
    ASSERT_EQ(binding.simulation()(&state, shot, 0.0f, nullptr, -1), 1);
    EXPECT_EQ(state.shotNumber, 1);
    EXPECT_NEAR(state.stones[0].x, kTee.x, 0.1f);
    EXPECT_NEAR(state.stones[0].y, kTee.y, 0.1f);
}

// The folder is searched before the system path: a library placed there
// under the expected name is the one bound (the stub plans "twice the target").
TEST(PhysicsBinding, TheGivenFolderComesFirst) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(
        QFile::copy(kStubPath, folder.filePath(PhysicsBinding::PlatformFileName("Tarnwick"))));

    PhysicsBinding binding(folder.path());
    ASSERT_TRUE(binding.Load()) << binding.failureDetail().toStdString();
    ShotVec shot{};
    ASSERT_TRUE(binding.CreateShot(ShotPos{1.0f, 2.0f, 1}, shot));
    EXPECT_EQ(shot.vx, 2.0f);
    EXPECT_EQ(shot.vy, 4.0f);
    EXPECT_EQ(shot.curl, 1);
    EXPECT_FALSE(binding.hasTrace()); // optional: absent from the stub
    EXPECT_EQ(binding.simulationTrace(), nullptr);
}

TEST(PhysicsBinding, LibraryFoundNowhereIsAFailedLoadToldWithItsFileName) {
    QTemporaryDir emptyFolder;
    ASSERT_TRUE(emptyFolder.isValid());
    PhysicsBinding binding(emptyFolder.path(), QStringLiteral("TarnwickNotInstalled"));
    EXPECT_FALSE(binding.Load());
    EXPECT_FALSE(binding.isLoaded());
    EXPECT_FALSE(binding.failureDetail().isEmpty());
    ShotVec shot{7.0f, 8.0f, 1};
    EXPECT_FALSE(binding.CreateShot(kTee, shot)); // nothing bound: nothing called
    EXPECT_EQ(shot.vx, 7.0f);

    EXPECT_EQ(PhysicsBinding::ErrorTitle(), QStringLiteral("エラー"));
    EXPECT_EQ(binding.failureMessage(),
              PhysicsBinding::PlatformFileName(QStringLiteral("TarnwickNotInstalled")) +
                  QStringLiteral(" の読み込みに失敗しました"));
#if defined(Q_OS_WIN)
    EXPECT_EQ(PhysicsBinding(emptyFolder.path()).failureMessage(),
              QStringLiteral("Tarnwick.dll の読み込みに失敗しました"));
#elif defined(Q_OS_LINUX)
    EXPECT_EQ(PhysicsBinding(emptyFolder.path()).failureMessage(),
              QStringLiteral("libTarnwick.so の読み込みに失敗しました"));
#endif
}

// A library that loads but lacks one of the three required entry points
// counts as not loaded, so that none of its entry points is ever called.
TEST(PhysicsBinding, LibraryLackingAnEntryPointIsAFailedLoad) {
    PhysicsBinding binding(kStubDir, QStringLiteral("TarnwickMissingExport"));
    EXPECT_FALSE(binding.Load());
    EXPECT_FALSE(binding.isLoaded());
    EXPECT_EQ(binding.simulation(), nullptr);
    EXPECT_EQ(binding.createShot(), nullptr);
    EXPECT_EQ(binding.createHitShot(), nullptr);
    EXPECT_TRUE(binding.failureDetail().contains("CreateHitShot"));
    ShotVec shot{};
    EXPECT_FALSE(binding.CreateShot(kTee, shot));
}

} // namespace
} // namespace skerrow
