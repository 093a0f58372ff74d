#include "help_page.h"

#include <QFile>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

// The page compiled in is docs/help-ja.md as it is now, and it covers what
// the window offers.
TEST(HelpPage, IsTheDocumentInDocs) {
    QFile source(QStringLiteral(HELP_PAGE_SOURCE));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QString text = HelpPageText();
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(text, QString::fromUtf8(source.readAll()));
    for (const char* topic : {"局面を開く", "局面を保存", "上下反転", "Home", "End", "Enter", "Log",
                              "再生速度", "ズーム", "ウェイト", "設定"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
    }
}

} // namespace
} // namespace skerrow
