#include "qt_translations.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

// The window's standard buttons speak its language once Qt's translation is
// loaded; without it they would say Yes and No.
TEST(QtTranslations, StandardButtonsAreJapanese) {
    const std::unique_ptr<QTranslator> translator =
        InstallQtTranslations(QCoreApplication::applicationDirPath());
    ASSERT_NE(translator, nullptr)
        << "Qt's Japanese translation (qt6-translations-l10n) is missing";
    QMessageBox box(QMessageBox::Question, QStringLiteral("接続確認"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
    QCoreApplication::removeTranslator(translator.get());
}

} // namespace
} // namespace skerrow
