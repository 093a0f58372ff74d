#include "typing_limit_validator.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

constexpr int kLimit = 15;

class TypingLimitValidatorTest : public ::testing::Test {
protected:
    QLineEdit edit;
    TypingLimitValidator* limit = TypingLimitValidator::Install(edit, kLimit);
};

TEST_F(TypingLimitValidatorTest, TypingStopsAtTheLimit) {
    QTest::keyClicks(&edit, QStringLiteral("192.168.100.200.1"));
    EXPECT_EQ(edit.text(), QStringLiteral("192.168.100.200"));
}

TEST_F(TypingLimitValidatorTest, PastingKeepsOnlyWhatFits) {
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    QTest::keyClick(&edit, Qt::Key_Home);
    edit.insert(QStringLiteral("0123456789ABCDEFGH"));
    EXPECT_EQ(edit.text(), QStringLiteral("0123456789ABCab"));
}

TEST_F(TypingLimitValidatorTest, ALongerTextCannotGrowAndOnceShortenedNotGrowBack) {
    limit->SetWholeText(QStringLiteral("abcdefghij.klmnopqrs"));
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral("t"));
    EXPECT_EQ(edit.text(), QStringLiteral("abcdefghij.klmnopqrs"));

    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, QStringLiteral("s"));
    EXPECT_EQ(edit.text(), QStringLiteral("abcdefghij.klmnopqr"));
}

TEST_F(TypingLimitValidatorTest, AfterALongTextIsReplacedTheLimitHoldsAgain) {
    limit->SetWholeText(QStringLiteral("abcdefghij.klmnopqrs"));
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("0123456789ABCDEFGH"));
    EXPECT_EQ(edit.text(), QStringLiteral("0123456789ABCDE"));
}

} // namespace
} // namespace skerrow
