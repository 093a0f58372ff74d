#include "decimal_comma_locale.h"
#include "manual_shot_entry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace skerrow {
namespace {

using Kind = ManualShotEntry::Outcome::Kind;

// ---- One left press on a fresh entry ---------------------------------------

struct PressRow {
    const char* label;
    QPoint at;
    const char* text;
    QPoint aim;    // the stored aim point afterwards
    bool dragging; // a press on the sheet starts a drag, one on an icon does not
    int curl;
};

// Rows show as their label in test names and failure messages.
void PrintTo(const PressRow& row, std::ostream* os) {
    *os << row.label;
}

class FirstPressTest : public ::testing::TestWithParam<PressRow> {};

TEST_P(FirstPressTest, WritesTheCommandAndShowsTheMarker) {
    const PressRow& row = GetParam();
    ManualShotEntry entry;
    const ManualShotEntry::Outcome outcome = entry.LeftPress(row.at, false);

    EXPECT_EQ(outcome.kind, Kind::MarkerShown);
    EXPECT_EQ(outcome.commandText, row.text);
    EXPECT_EQ(entry.aim(), row.aim);
    EXPECT_EQ(outcome.markerX, row.aim.x() - 84);
    EXPECT_EQ(outcome.markerY, row.aim.y() - 36);
    EXPECT_EQ(entry.isDragging(), row.dragging);
    EXPECT_TRUE(entry.isAimShown());
    EXPECT_EQ(entry.curl(), row.curl);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, FirstPressTest, ::testing::Values(
    PressRow{"onTheSheet",        {202, 280}, "BESTSHOT 2.365 4.890 0",   {202, 280}, true,  0},
    PressRow{"sheetCorner",       {84, 36},   "BESTSHOT 0.000 0.000 0",   {84, 36},   true,  0},
    PressRow{"belowAndLeft",      {10, 700},  "BESTSHOT 0.000 11.284 0",  {84, 599},  true,  0},
    PressRow{"aboveAndRight",     {330, 20},  "BESTSHOT 4.730 0.000 0",   {320, 36},  true,  0},
    // While the button is held the window sees positions left of itself.
    PressRow{"leftOfTheWindow",   {-5, 280},  "BESTSHOT 0.000 4.890 0",   {84, 280},  true,  0},
    // Before any aim the stored point is the window's corner.
    PressRow{"curl1Icon",         {285, 560}, "BESTSHOT -1.684 -0.722 1", {0, 0},     false, 1},
    PressRow{"curl0Icon",         {120, 560}, "BESTSHOT -1.684 -0.722 0", {0, 0},     false, 0},
    PressRow{"curl0IconCorner",   {95, 540},  "BESTSHOT -1.684 -0.722 0", {0, 0},     false, 0},
    // The icons' borders belong to the sheet.
    PressRow{"curl0IconLeftEdge", {94, 560},  "BESTSHOT 0.200 10.502 0",  {94, 560},  true,  0},
    PressRow{"curl1IconLeftEdge", {260, 560}, "BESTSHOT 3.527 10.502 0",  {260, 560}, true,  0},
    PressRow{"curl1IconTopEdge",  {285, 539}, "BESTSHOT 4.028 10.081 0",  {285, 539}, true,  0}),
    [](const ::testing::TestParamInfo<PressRow>& info) { return info.param.label; });
// clang-format on

// ---- Sequences of events -----------------------------------------------------

struct Event {
    enum class Type { LeftPress, Move, LeftRelease, RightPress, Sent };
    Type type;
    QPoint at{};
    bool replay = false;
};

Event Press(int x, int y, bool replay = false) {
    return {Event::Type::LeftPress, {x, y}, replay};
}
Event Move(int x, int y, bool replay = false) {
    return {Event::Type::Move, {x, y}, replay};
}
Event Release(int x, int y, bool replay = false) {
    return {Event::Type::LeftRelease, {x, y}, replay};
}
Event Right() {
    return {Event::Type::RightPress};
}
Event Sent() {
    return {Event::Type::Sent};
}

struct ScriptRow {
    const char* label;
    std::vector<Event> events;
    // What the last event asks of the window, and the state afterwards.
    Kind lastKind;
    const char* lastText;
    QPoint aim;
    bool dragging;
    bool shown;
    int curl;
};

void PrintTo(const ScriptRow& row, std::ostream* os) {
    *os << row.label;
}

class ScriptTest : public ::testing::TestWithParam<ScriptRow> {};

TEST_P(ScriptTest, EndsInTheExpectedState) {
    const ScriptRow& row = GetParam();
    ManualShotEntry entry;
    ManualShotEntry::Outcome last;
    for (const Event& event : row.events) {
        switch (event.type) {
        case Event::Type::LeftPress:
            last = entry.LeftPress(event.at, event.replay);
            break;
        case Event::Type::Move:
            last = entry.PointerMove(event.at, event.replay);
            break;
        case Event::Type::LeftRelease:
            last = entry.LeftRelease(event.at, event.replay);
            break;
        case Event::Type::RightPress:
            last = entry.RightPress();
            break;
        case Event::Type::Sent:
            entry.OnCommandSent();
            last = {};
            break;
        }
    }
    EXPECT_EQ(last.kind, row.lastKind);
    EXPECT_EQ(last.commandText, row.lastText);
    if (last.kind == Kind::MarkerHidden) {
        EXPECT_EQ(last.markerX, -1);
        EXPECT_EQ(last.markerY, -1);
    }
    EXPECT_EQ(entry.aim(), row.aim);
    EXPECT_EQ(entry.isDragging(), row.dragging);
    EXPECT_EQ(entry.isAimShown(), row.shown);
    EXPECT_EQ(entry.curl(), row.curl);
}

constexpr const char* kNoText = "";
constexpr const char* kAt202 = "BESTSHOT 2.365 4.890 0";

// Rows: label, events; what the last event asks for (kind, text); then the
// aim point, dragging, shown and curl afterwards.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ScriptTest, ::testing::Values(
    // Dragging.
    ScriptRow{"dragFollowsThePointer", {Press(202, 280), Move(250, 300)},
              Kind::MarkerShown, "BESTSHOT 3.327 5.291 0", {250, 300}, true, true, 0},
    ScriptRow{"releaseDropsTheAim", {Press(202, 280), Move(250, 300), Release(260, 310)},
              Kind::MarkerShown, "BESTSHOT 3.527 5.492 0", {260, 310}, false, true, 0},
    ScriptRow{"moveWithoutDragDoesNothing", {Press(202, 280), Release(202, 280), Move(250, 300)},
              Kind::Unchanged, kNoText, {202, 280}, false, true, 0},
    ScriptRow{"iconPressEndsADrag", {Press(202, 280), Press(285, 560), Move(250, 300)},
              Kind::Unchanged, kNoText, {202, 280}, false, true, 1},
    // The right button.
    ScriptRow{"rightPressHidesAShownAim", {Press(202, 280), Release(202, 280), Right()},
              Kind::MarkerHidden, kNoText, {202, 280}, false, false, 0},
    ScriptRow{"secondRightPressShowsItAgain",
              {Press(202, 280), Release(202, 280), Right(), Right()},
              Kind::MarkerShown, kAt202, {202, 280}, false, true, 0},
    ScriptRow{"rightPressOnAFreshEntry", {Right()},
              Kind::MarkerShown, "BESTSHOT -1.684 -0.722 0", {0, 0}, false, true, 0},
    ScriptRow{"rightPressEndsADrag", {Press(202, 280), Right(), Move(250, 300)},
              Kind::Unchanged, kNoText, {202, 280}, false, false, 0},
    ScriptRow{"iconShowsAHiddenAimWithTheNewCurl",
              {Press(202, 280), Release(202, 280), Right(), Press(285, 560)},
              Kind::MarkerShown, "BESTSHOT 2.365 4.890 1", {202, 280}, false, true, 1},
    // Sending hides the aim; the next right press shows it again.
    ScriptRow{"sendingHidesTheAim", {Press(202, 280), Release(202, 280), Sent(), Right()},
              Kind::MarkerShown, kAt202, {202, 280}, false, true, 0},
    ScriptRow{"sendingKeepsADragGoing", {Press(202, 280), Sent(), Move(250, 300)},
              Kind::MarkerShown, "BESTSHOT 3.327 5.291 0", {250, 300}, true, true, 0},
    // A replay freezes the left button and the pointer, not the right button.
    ScriptRow{"pressDuringReplay", {Press(202, 280, true)},
              Kind::Unchanged, kNoText, {0, 0}, false, false, 0},
    ScriptRow{"iconDuringReplayKeepsTheCurl",
              {Press(202, 280), Release(202, 280), Press(285, 560, true)},
              Kind::Unchanged, kNoText, {202, 280}, false, true, 0},
    ScriptRow{"moveDuringReplay", {Press(202, 280), Move(250, 300, true)},
              Kind::Unchanged, kNoText, {202, 280}, true, true, 0},
    ScriptRow{"releaseDuringReplayKeepsTheDrag", {Press(202, 280), Release(250, 300, true)},
              Kind::Unchanged, kNoText, {202, 280}, true, true, 0},
    ScriptRow{"dragResumesAfterTheReplay",
              {Press(202, 280), Release(250, 300, true), Move(250, 300)},
              Kind::MarkerShown, "BESTSHOT 3.327 5.291 0", {250, 300}, true, true, 0},
    ScriptRow{"rightPressDuringReplayToggles",
              {Press(202, 280), Release(202, 280), Press(100, 100, true), Right()},
              Kind::MarkerHidden, kNoText, {202, 280}, false, false, 0}),
    [](const ::testing::TestParamInfo<ScriptRow>& info) { return info.param.label; });
// clang-format on

// ---- The number format -------------------------------------------------------

TEST(ManualShotEntryFormat, WritesDecimalPointsInADecimalCommaLocale) {
    const test::DecimalCommaLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%1.3f", 2.5);
    ASSERT_STREQ(probe, "2,500") << "the locale should write a decimal comma";

    EXPECT_EQ(ManualShotEntry::FormatCommand(202, 280, 1), "BESTSHOT 2.365 4.890 1");
    EXPECT_EQ(ManualShotEntry::FormatCommand(0, 0, 0), "BESTSHOT -1.684 -0.722 0");
}

} // namespace
} // namespace skerrow
