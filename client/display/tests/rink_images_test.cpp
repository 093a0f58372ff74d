#include "rink_images.h"

#include "display_test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace skerrow::test {
namespace {

// Each picture left out in turn: only a missing score board fails the load,
// and only the missing picture comes out null.
class LoadWithout : public ::testing::TestWithParam<const char*> {};

TEST_P(LoadWithout, FailsOnlyForTheScoreBoard) {
    const std::string missing = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CopyBuiltImages(dir, GetParam());
    RinkImages images;
    EXPECT_EQ(images.Load(dir.path()), missing != RinkImages::kScoreFile);

    const std::pair<const char*, const QImage*> loaded[] = {
        {RinkImages::kRinkAFile, &images.rinkA()},
        {RinkImages::kRinkBFile, &images.rinkB()},
        {RinkImages::kStoneRedFile, &images.stoneRed()},
        {RinkImages::kStoneYellowFile, &images.stoneYellow()},
        {RinkImages::kCurveLFile, &images.curveL()},
        {RinkImages::kCurveRFile, &images.curveR()},
        {RinkImages::kScoreFile, &images.score()},
    };
    for (const auto& [name, image] : loaded) {
        EXPECT_EQ(image->isNull(), missing == name) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(EachFile, LoadWithout,
                         ::testing::Values(RinkImages::kRinkAFile, RinkImages::kRinkBFile,
                                           RinkImages::kStoneRedFile, RinkImages::kStoneYellowFile,
                                           RinkImages::kCurveLFile, RinkImages::kCurveRFile,
                                           RinkImages::kScoreFile));

TEST(RinkImages, LoadKeepsSizesAndTheStonesTransparency) {
    RinkImages images;
    ASSERT_TRUE(images.Load(BuiltImageFolder()));
    EXPECT_EQ(images.rinkA().size(), QSize(237, 564));
    EXPECT_EQ(images.curveR().size(), QSize(50, 50));
    EXPECT_TRUE(images.stoneRed().hasAlphaChannel());
    EXPECT_EQ(images.stoneRed().pixelColor(0, 0).alpha(), 0);
}

TEST(RinkImages, LoadFromNoFolderFailsAndForgetsEarlierImages) {
    RinkImages images;
    ASSERT_TRUE(images.Load(BuiltImageFolder()));
    EXPECT_FALSE(images.Load(QString()));
    EXPECT_TRUE(images.score().isNull());
    EXPECT_TRUE(images.rinkA().isNull());
}

TEST(RinkImages, FailureTextsAreTheProgramsOwn) {
    EXPECT_EQ(QString::fromUtf8(RinkImages::kLoadFailedText),
              QStringLiteral("グラフィックの読み込みに失敗しました"));
    EXPECT_EQ(QString::fromUtf8(RinkImages::kLoadFailedTitle), QStringLiteral("エラー"));
}

// Which of the current directory and the executable's directory holds the
// pictures: the current directory wins when both do.
struct FolderCase {
    const char* name;
    bool currentHasFolder;
    bool currentHasScore;
    bool executableHasScore;
    const char* found; // "current", "executable" or ""
};

class FindImageFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FindImageFolder, PicksTheFirstFolderWithTheScoreBoard) {
    const FolderCase& c = GetParam();
    QTemporaryDir current;
    QTemporaryDir executable;
    ASSERT_TRUE(current.isValid() && executable.isValid());
    const auto prepare = [](const QTemporaryDir& base, bool folder, bool score) {
        const QString images = QDir(base.path()).filePath(QStringLiteral("System/Image"));
        if (folder || score) {
            ASSERT_TRUE(QDir().mkpath(images));
        }
        if (score) {
            ASSERT_TRUE(QFile::copy(QDir(BuiltImageFolder()).filePath(RinkImages::kScoreFile),
                                    QDir(images).filePath(RinkImages::kScoreFile)));
        }
    };
    prepare(current, c.currentHasFolder, c.currentHasScore);
    prepare(executable, true, c.executableHasScore);

    const QString found = RinkImages::FindImageFolder(current.path(), executable.path());
    const std::string expected = c.found;
    if (expected.empty()) {
        EXPECT_TRUE(found.isEmpty()) << found.toStdString();
        return;
    }
    const QTemporaryDir& base = expected == "current" ? current : executable;
    EXPECT_EQ(QDir(found).canonicalPath(),
              QDir(QDir(base.path()).filePath(QStringLiteral("System/Image"))).canonicalPath());
    RinkImages images;
    EXPECT_TRUE(images.Load(found));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindImageFolder,
    ::testing::Values(FolderCase{"Both", true, true, true, "current"},
                      FolderCase{"OnlyExecutable", false, false, true, "executable"},
                      FolderCase{"CurrentFolderWithoutScore", true, false, true, "executable"},
                      FolderCase{"OnlyCurrent", true, true, false, "current"},
                      FolderCase{"Neither", true, false, false, ""}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace skerrow::test
