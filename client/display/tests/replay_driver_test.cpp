#include "replay_driver.h"

#include "match_numbers.h"
#include "physics_binding.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace skerrow {
namespace {

using std::chrono::nanoseconds;

// Only a safety net for a broken replay: the tests wait on signals.
constexpr int kSafetyNetMs = 120'000;

constexpr ShotPos kTee{kTeeX, kTeeY, 0};
// Stops well short of the hog line after a few hundred steps: cheap enough
// to replay without the trace, at K*K/2 steps.
constexpr ShotVec kShortShot{0.02f, -0.5f, 1};

GameState EmptyPosition() {
    GameState state{};
    state.lastEnd = 10;
    return state;
}

// Five stones played, two of them in the house, one guard.
GameState PositionWithStones() {
    GameState state = EmptyPosition();
    state.shotNumber = 5;
    state.currentEnd = 3;
    state.turnFlag = 1;
    state.endScores[0] = 2;
    state.endScores[1] = -1;
    state.stones[0] = {2.30f, 4.70f};
    state.stones[2] = {2.90f, 5.40f};
    state.stones[3] = {2.40f, 8.10f};
    return state;
}

bool SameBytes(const GameState& a, const GameState& b) {
    return std::memcmp(&a, &b, sizeof(GameState)) == 0;
}

// Every frame of `shot` on `start`, straight from the library's trace.
std::vector<GameState> TracedFrames(const PhysicsBinding& physics, const GameState& start,
                                    ShotVec shot) {
    std::vector<GameState> frames;
    GameState end = start;
    const SimulationFrameFn collect = [](void* user, int step, const GameState* frame) -> int {
        auto* out = static_cast<std::vector<GameState>*>(user);
        EXPECT_EQ(step, static_cast<int>(out->size()));
        out->push_back(*frame);
        return 1;
    };
    physics.simulationTrace()(&end, shot, 0.0f, nullptr, collect, &frames);
    return frames;
}

// What one driver emitted.
struct Recorder {
    std::vector<GameState> frames;
    std::vector<int> steps;
    int started = 0;
    int refused = 0;
    int finished = 0;
    bool runningInFinished = true;

    void Attach(ReplayDriver& driver) {
        QObject::connect(&driver, &ReplayDriver::started, &driver, [this] { ++started; });
        QObject::connect(&driver, &ReplayDriver::refused, &driver, [this] { ++refused; });
        QObject::connect(&driver, &ReplayDriver::frameReady, &driver,
                         [this](const GameState& frame, int step) {
                             frames.push_back(frame);
                             steps.push_back(step);
                         });
        QObject::connect(&driver, &ReplayDriver::finished, &driver, [this, &driver] {
            ++finished;
            runningInFinished = driver.isRunning();
        });
    }

    bool StepsCountFromZero() const {
        for (std::size_t k = 0; k < steps.size(); ++k) {
            if (steps[k] != static_cast<int>(k)) {
                return false;
            }
        }
        return true;
    }
};

// Runs the event loop until `driver` emits finished().
bool WaitForFinished(ReplayDriver& driver) {
    QSignalSpy spy(&driver, &ReplayDriver::finished);
    return spy.wait(kSafetyNetMs);
}

// The replay needs an event loop, which the other display tests do not: each
// test here makes its own application object.
class ReplayDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QCoreApplication::instance() == nullptr) {
            m_app = std::make_unique<QCoreApplication>(m_argc, m_argv);
        }
        ASSERT_TRUE(m_physics.Load()) << m_physics.failureDetail().toStdString();
        ASSERT_TRUE(m_physics.hasTrace());
        ASSERT_TRUE(m_physics.CreateShot(kTee, m_draw));
    }

    PhysicsBinding m_physics{QStringLiteral(TARNWICK_DIR)};
    ShotVec m_draw{};

private:
    int m_argc = 1;
    char m_name[20] = "replay_driver_test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_app;
};

class ReplayDriverDraw : public ReplayDriverTest,
                         public ::testing::WithParamInterface<GameState (*)()> {};

// A draw shows exactly the frames for which Simulation returns 1, each the
// position Simulation writes for its step count, and ends once.
TEST_P(ReplayDriverDraw, ShowsEveryFrameUntilTheStonesRest) {
    const GameState start = GetParam()();
    const std::vector<GameState> traced = TracedFrames(m_physics, start, m_draw);
    const int restingAfter = static_cast<int>(traced.size());
    ASSERT_GT(restingAfter, 1000); // a draw to the tee takes some 25 s
    GameState probe = start;
    ASSERT_EQ(m_physics.simulation()(&probe, m_draw, 0.0f, nullptr, restingAfter), 0);
    probe = start;
    ASSERT_EQ(m_physics.simulation()(&probe, m_draw, 0.0f, nullptr, restingAfter - 1), 1);

    ReplayDriver driver(m_physics);
    Recorder seen;
    seen.Attach(driver);
    ASSERT_TRUE(driver.Start(start, m_draw, 0.0f));
    // started() comes before Start() returns; the frames only from the loop.
    EXPECT_EQ(seen.started, 1);
    EXPECT_TRUE(seen.frames.empty());
    EXPECT_TRUE(driver.isRunning());
    ASSERT_TRUE(WaitForFinished(driver));

    EXPECT_EQ(seen.started, 1);
    EXPECT_EQ(seen.finished, 1);
    EXPECT_FALSE(seen.runningInFinished);
    EXPECT_FALSE(driver.isRunning());
    ASSERT_EQ(static_cast<int>(seen.frames.size()), restingAfter);
    EXPECT_TRUE(seen.StepsCountFromZero());

    const int delivered = start.shotNumber;
    EXPECT_EQ(seen.frames[0].stones[delivered].x, kDeliveryX);
    EXPECT_EQ(seen.frames[0].stones[delivered].y, kDeliveryY);
    for (const int step : {0, 1, 2, restingAfter / 3, restingAfter / 2, restingAfter - 1}) {
        GameState expected = start;
        ASSERT_EQ(m_physics.simulation()(&expected, m_draw, 0.0f, nullptr, step), 1);
        EXPECT_TRUE(SameBytes(seen.frames[static_cast<std::size_t>(step)], expected))
            << "frame " << step;
    }
    // The delivered stone ends near the tee.
    EXPECT_NEAR(seen.frames.back().stones[delivered].y, kTee.y, 0.2f);
}

INSTANTIATE_TEST_SUITE_P(Positions, ReplayDriverDraw,
                         ::testing::Values(&EmptyPosition, &PositionWithStones));

TEST_F(ReplayDriverTest, ASecondStartWhileRunningIsDeclinedAndTheFirstGoesOn) {
    const GameState start = EmptyPosition();
    const std::vector<GameState> traced = TracedFrames(m_physics, start, m_draw);

    ReplayDriver driver(m_physics);
    Recorder seen;
    seen.Attach(driver);
    ASSERT_TRUE(driver.Start(start, m_draw, 0.0f));
    EXPECT_FALSE(driver.Start(PositionWithStones(), kShortShot, 0.0f));
    std::vector<bool> startedDuringFrames;
    QObject::connect(&driver, &ReplayDriver::frameReady, &driver, [&](const GameState&, int step) {
        if (step == 10) {
            startedDuringFrames.push_back(driver.Start(start, kShortShot, 0.0f));
        }
    });
    ASSERT_TRUE(WaitForFinished(driver));

    EXPECT_EQ(startedDuringFrames, std::vector<bool>{false});
    EXPECT_EQ(seen.started, 1);
    EXPECT_EQ(seen.finished, 1);
    ASSERT_EQ(seen.frames.size(), traced.size());
    EXPECT_TRUE(seen.StepsCountFromZero());
    EXPECT_TRUE(SameBytes(seen.frames[10], traced[10]));
    EXPECT_TRUE(SameBytes(seen.frames.back(), traced.back()));
}

// The window's finished() handler tells the relay, which may start the next
// replay at once.
TEST_F(ReplayDriverTest, AFinishedSlotMayStartTheNextReplay) {
    ReplayDriver driver(m_physics);
    Recorder seen;
    seen.Attach(driver);
    bool secondStarted = false;
    QObject::connect(&driver, &ReplayDriver::finished, &driver, [&] {
        if (seen.finished == 1) {
            secondStarted = driver.Start(EmptyPosition(), kShortShot, 0.0f);
        }
    });
    ASSERT_TRUE(driver.Start(EmptyPosition(), kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(driver));
    ASSERT_TRUE(secondStarted);
    EXPECT_TRUE(driver.isRunning());
    ASSERT_TRUE(WaitForFinished(driver));

    const std::size_t perReplay = TracedFrames(m_physics, EmptyPosition(), kShortShot).size();
    EXPECT_EQ(seen.started, 2);
    EXPECT_EQ(seen.finished, 2);
    EXPECT_EQ(seen.frames.size(), 2 * perReplay);
    EXPECT_EQ(seen.steps[perReplay], 0);
}

// A shot that the library refuses shows nothing and says so, but the replay
// still starts and ends, so that the window's Send button comes back and
// nothing waits for it; with the trace and without it. A shot that is simply
// at rest from the start is not refused.
TEST_F(ReplayDriverTest, ARefusedShotShowsNoFrameSaysSoAndFinishes) {
    GameState endPlayedOut = EmptyPosition();
    endPlayedOut.shotNumber = 16;
    const ReplayDriver::EntryPoints withoutTrace{m_physics.simulation(), nullptr};
    for (const bool traced : {true, false}) {
        const auto made = traced ? std::make_unique<ReplayDriver>(m_physics)
                                 : std::make_unique<ReplayDriver>(withoutTrace);
        ReplayDriver& driver = *made;
        Recorder seen;
        seen.Attach(driver);
        ASSERT_TRUE(driver.Start(endPlayedOut, m_draw, 0.0f));
        EXPECT_EQ(seen.finished, 0); // never from within Start()
        ASSERT_TRUE(WaitForFinished(driver));
        EXPECT_EQ(seen.started, 1);
        EXPECT_EQ(seen.refused, 1) << traced;
        EXPECT_EQ(seen.finished, 1);
        EXPECT_TRUE(seen.frames.empty());
        EXPECT_FALSE(driver.isRunning());

        ASSERT_TRUE(driver.Start(EmptyPosition(), ShotVec{0.0f, 0.0f, 0}, 0.0f));
        ASSERT_TRUE(WaitForFinished(driver));
        EXPECT_EQ(seen.refused, 1) << traced;
        EXPECT_EQ(seen.finished, 2);
    }
}

TEST_F(ReplayDriverTest, NothingBoundDeclines) {
    QTemporaryDir emptyFolder;
    ASSERT_TRUE(emptyFolder.isValid());
    const PhysicsBinding unloaded(emptyFolder.path(), QStringLiteral("TarnwickNotThere"));
    ReplayDriver driver(unloaded);
    Recorder seen;
    seen.Attach(driver);
    EXPECT_FALSE(driver.Start(EmptyPosition(), m_draw, 0.0f));
    EXPECT_FALSE(driver.isRunning());
    EXPECT_EQ(seen.started, 0);
}

// A replay cancelled from a frame's slot emits nothing more; a new one may
// start from the same slot, and its frames are its own.
TEST_F(ReplayDriverTest, CancelFromAFrameStopsTheReplay) {
    ReplayDriver driver(m_physics);
    Recorder first;
    Recorder second;
    Recorder* current = &first;
    QObject::connect(&driver, &ReplayDriver::started, &driver, [&] { ++current->started; });
    QObject::connect(&driver, &ReplayDriver::finished, &driver, [&] { ++current->finished; });
    QObject::connect(&driver, &ReplayDriver::frameReady, &driver,
                     [&](const GameState& frame, int step) {
                         current->frames.push_back(frame);
                         current->steps.push_back(step);
                         if (current == &first && step == 5) {
                             driver.Cancel();
                             EXPECT_FALSE(driver.isRunning());
                             current = &second;
                             EXPECT_TRUE(driver.Start(PositionWithStones(), kShortShot, 0.0f));
                         }
                     });
    ASSERT_TRUE(driver.Start(EmptyPosition(), m_draw, 0.0f));
    ASSERT_TRUE(WaitForFinished(driver));

    EXPECT_EQ(first.started, 1);
    EXPECT_EQ(first.finished, 0);
    EXPECT_EQ(first.frames.size(), 6u);
    EXPECT_TRUE(first.StepsCountFromZero());

    const std::vector<GameState> traced = TracedFrames(m_physics, PositionWithStones(), kShortShot);
    EXPECT_EQ(second.started, 1);
    EXPECT_EQ(second.finished, 1);
    ASSERT_EQ(second.frames.size(), traced.size());
    EXPECT_TRUE(second.StepsCountFromZero());
    EXPECT_TRUE(SameBytes(second.frames[0], traced[0]));
    EXPECT_TRUE(SameBytes(second.frames.back(), traced.back()));
}

// Cancelled while the worker is still computing, before any frame was shown:
// nothing of it arrives later.
TEST_F(ReplayDriverTest, CancelRightAfterStartLeavesNothingBehind) {
    ReplayDriver driver(m_physics);
    Recorder seen;
    seen.Attach(driver);
    for (int attempt = 0; attempt < 20; ++attempt) {
        ASSERT_TRUE(driver.Start(EmptyPosition(), m_draw, 0.0f));
        driver.Cancel();
        EXPECT_FALSE(driver.isRunning());
        driver.Cancel(); // idle: nothing to do
    }
    EXPECT_EQ(seen.started, 20);

    // A last replay runs to its end: only its own frames and end are seen.
    ASSERT_TRUE(driver.Start(EmptyPosition(), kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(driver));
    EXPECT_EQ(seen.finished, 1);
    EXPECT_EQ(seen.frames.size(), TracedFrames(m_physics, EmptyPosition(), kShortShot).size());
    EXPECT_TRUE(seen.StepsCountFromZero());
}

// Closing the window during a replay destroys the driver with its worker
// still computing or frames still queued.
TEST_F(ReplayDriverTest, DestroyingTheDriverDuringAReplayIsClean) {
    {
        auto driver = std::make_unique<ReplayDriver>(m_physics);
        ASSERT_TRUE(driver->Start(EmptyPosition(), m_draw, 0.0f));
    }
    {
        auto driver = std::make_unique<ReplayDriver>(m_physics);
        int shown = 0;
        QEventLoop loop;
        QObject::connect(driver.get(), &ReplayDriver::frameReady, &loop,
                         [&](const GameState&, int step) {
                             shown = step + 1;
                             if (step == 3) {
                                 loop.quit();
                             }
                         });
        QTimer::singleShot(kSafetyNetMs, &loop, &QEventLoop::quit);
        ASSERT_TRUE(driver->Start(EmptyPosition(), m_draw, 0.0f));
        loop.exec();
        ASSERT_EQ(shown, 4);
        driver.reset();
    }
    // Whatever was still posted to the drivers goes nowhere.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Without the trace, each frame is a Simulation call from the start again;
// the frames are the same.
TEST_F(ReplayDriverTest, WithoutTheTraceTheFramesAreTheSame) {
    const GameState start = PositionWithStones();
    ReplayDriver traced(m_physics);
    ReplayDriver perFrame(ReplayDriver::EntryPoints{m_physics.simulation(), nullptr});
    Recorder fromTrace;
    Recorder fromSimulation;
    fromTrace.Attach(traced);
    fromSimulation.Attach(perFrame);

    ASSERT_TRUE(traced.Start(start, kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(traced));
    ASSERT_TRUE(perFrame.Start(start, kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(perFrame));

    ASSERT_GT(fromTrace.frames.size(), 50u);
    ASSERT_EQ(fromSimulation.frames.size(), fromTrace.frames.size());
    EXPECT_TRUE(fromSimulation.StepsCountFromZero());
    for (std::size_t k = 0; k < fromTrace.frames.size(); ++k) {
        ASSERT_TRUE(SameBytes(fromSimulation.frames[k], fromTrace.frames[k])) << "frame " << k;
    }
    EXPECT_EQ(fromSimulation.finished, 1);
}

// As drawn, the next frame waits for the event loop: what a frame's slot
// posts (a repaint) is handled before the next frame.
TEST_F(ReplayDriverTest, AsDrawnLetsPostedEventsRunBetweenFrames) {
    ReplayDriver driver(m_physics);
    EXPECT_EQ(driver.speed(), ReplaySpeed::AsDrawn);
    std::vector<int> framesBeforeRepaint;
    int shown = 0;
    QObject::connect(&driver, &ReplayDriver::frameReady, &driver, [&](const GameState&, int) {
        ++shown;
        if (shown <= 3) {
            QMetaObject::invokeMethod(
                &driver, [&] { framesBeforeRepaint.push_back(shown); }, Qt::QueuedConnection);
        }
    });
    ASSERT_TRUE(driver.Start(EmptyPosition(), kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(driver));
    EXPECT_EQ(framesBeforeRepaint, (std::vector<int>{1, 2, 3}));
}

// A driver on fake time: each wait moves the clock on by its length at once.
class FakeClockDriver final : public ReplayDriver {
public:
    using ReplayDriver::ReplayDriver;

    nanoseconds now{nanoseconds{5'000'000'000}};
    std::vector<nanoseconds> waits;

protected:
    nanoseconds Now() const override { return now; }
    void WaitForNextFrame(nanoseconds delay) override {
        waits.push_back(delay);
        now += delay;
        ReplayDriver::WaitForNextFrame(nanoseconds{0});
    }
};

// Time of frame `step` from the start for `framesPerStep` frames per 1/60 s.
nanoseconds Due(int step, int framesPerStep) {
    return nanoseconds{std::int64_t{step} * 1'000'000'000 / (60 * framesPerStep)};
}

struct PaceCase {
    const char* name;
    ReplaySpeed speed;
    int framesPerStep;
};

class ReplayDriverPacing : public ReplayDriverTest,
                           public ::testing::WithParamInterface<PaceCase> {};

// Frame k is shown k/60 s (halved, quartered) after the start, whatever time
// the slots take within a frame; the end comes one period after the last.
TEST_P(ReplayDriverPacing, EveryFrameComesOnTime) {
    const PaceCase& pace = GetParam();
    FakeClockDriver driver(m_physics);
    driver.setSpeed(pace.speed);
    const nanoseconds origin = driver.now;
    const nanoseconds handling = Due(1, pace.framesPerStep) / 3;
    std::vector<nanoseconds> shownAt;
    nanoseconds finishedAt{-1};
    QObject::connect(&driver, &ReplayDriver::frameReady, &driver, [&](const GameState&, int) {
        shownAt.push_back(driver.now - origin);
        driver.now += handling; // the window draws
    });
    QObject::connect(&driver, &ReplayDriver::finished, &driver,
                     [&] { finishedAt = driver.now - origin; });
    ASSERT_TRUE(driver.Start(EmptyPosition(), kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(driver));

    const int frames =
        static_cast<int>(TracedFrames(m_physics, EmptyPosition(), kShortShot).size());
    ASSERT_EQ(static_cast<int>(shownAt.size()), frames);
    for (int k = 0; k < frames; ++k) {
        ASSERT_EQ(shownAt[static_cast<std::size_t>(k)], Due(k, pace.framesPerStep))
            << "frame " << k;
    }
    EXPECT_EQ(finishedAt, Due(frames, pace.framesPerStep));
    for (const nanoseconds wait : driver.waits) {
        EXPECT_GE(wait.count(), 0);
        EXPECT_LE(wait, Due(1, pace.framesPerStep));
    }
}

INSTANTIATE_TEST_SUITE_P(Speeds, ReplayDriverPacing,
                         ::testing::Values(PaceCase{"RealTime", ReplaySpeed::RealTime, 1},
                                           PaceCase{"Double", ReplaySpeed::Double, 2},
                                           PaceCase{"Quadruple", ReplaySpeed::Quadruple, 4}),
                         [](const ::testing::TestParamInfo<PaceCase>& info) {
                             return std::string(info.param.name);
                         });

struct StallCase {
    const char* name;
    // How long the slot of frame 10 keeps the event loop, in frame periods.
    double stallPeriods;
    // Frame 11 comes when the stall ends rather than on time.
    bool frame11Late;
    // The frames from 12 on follow frame 11 at the pace rather than keep
    // their places on the first schedule.
    bool scheduleMoves;
};

class ReplayDriverStall : public ReplayDriverTest,
                          public ::testing::WithParamInterface<StallCase> {};

// A frame late by less than a period keeps the schedule; a longer stall
// moves it, so that the frames after it keep their spacing and none is
// skipped.
TEST_P(ReplayDriverStall, ALongStallMovesTheSchedule) {
    const StallCase& stall = GetParam();
    FakeClockDriver driver(m_physics);
    driver.setSpeed(ReplaySpeed::RealTime);
    const nanoseconds origin = driver.now;
    const nanoseconds stallTime{
        std::llround(stall.stallPeriods * static_cast<double>(Due(1, 1).count()))};
    std::vector<nanoseconds> shownAt;
    QObject::connect(&driver, &ReplayDriver::frameReady, &driver, [&](const GameState&, int step) {
        shownAt.push_back(driver.now - origin);
        if (step == 10) {
            driver.now += stallTime;
        }
    });
    ASSERT_TRUE(driver.Start(EmptyPosition(), kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(driver));

    const int frames =
        static_cast<int>(TracedFrames(m_physics, EmptyPosition(), kShortShot).size());
    ASSERT_EQ(static_cast<int>(shownAt.size()), frames);
    EXPECT_EQ(shownAt[10], Due(10, 1));
    const nanoseconds frame11 = stall.frame11Late ? Due(10, 1) + stallTime : Due(11, 1);
    EXPECT_EQ(shownAt[11], frame11);
    for (int k = 12; k < frames; ++k) {
        const nanoseconds expected = stall.scheduleMoves ? frame11 + Due(k - 11, 1) : Due(k, 1);
        ASSERT_EQ(shownAt[static_cast<std::size_t>(k)], expected) << "frame " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Stalls, ReplayDriverStall,
                         ::testing::Values(StallCase{"WithinAPeriod", 0.5, false, false},
                                           StallCase{"OneAndAHalfPeriods", 1.5, true, false},
                                           StallCase{"FivePeriods", 5.0, true, true}),
                         [](const ::testing::TestParamInfo<StallCase>& info) {
                             return std::string(info.param.name);
                         });

// As drawn, nothing waits for the clock; switching to a paced speed during
// the replay shows the next frame at once and paces the rest from there.
TEST_F(ReplayDriverTest, SwitchingFromAsDrawnToRealTimeDuringAReplay) {
    FakeClockDriver driver(m_physics);
    const nanoseconds origin = driver.now;
    std::vector<nanoseconds> shownAt;
    QObject::connect(&driver, &ReplayDriver::frameReady, &driver, [&](const GameState&, int step) {
        shownAt.push_back(driver.now - origin);
        if (step == 10) {
            driver.setSpeed(ReplaySpeed::RealTime);
        }
    });
    ASSERT_TRUE(driver.Start(EmptyPosition(), kShortShot, 0.0f));
    ASSERT_TRUE(WaitForFinished(driver));

    ASSERT_GT(shownAt.size(), 20u);
    for (std::size_t k = 0; k <= 11; ++k) {
        EXPECT_EQ(shownAt[k], nanoseconds{0}) << "frame " << k;
    }
    for (std::size_t k = 12; k < shownAt.size(); ++k) {
        ASSERT_EQ(shownAt[k], Due(static_cast<int>(k) - 11, 1)) << "frame " << k;
    }
}

} // namespace
} // namespace skerrow
