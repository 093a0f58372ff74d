#include "replay_driver.h"

#include <QMetaObject>

#include <algorithm>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

namespace skerrow {

namespace {

using std::chrono::nanoseconds;

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

// Frames per 1/60 s of sheet time; 0 for a replay that is not paced.
int FramesPerStep(ReplaySpeed speed) {
    switch (speed) {
    case ReplaySpeed::AsDrawn:
        return 0;
    case ReplaySpeed::RealTime:
        return 1;
    case ReplaySpeed::Double:
        return 2;
    case ReplaySpeed::Quadruple:
        return 4;
    }
    return 0;
}

// A large first reservation saves most regrowth for a draw (about 1,500).
constexpr std::size_t kFramesReserved = 2048;

} // namespace

struct ReplayDriver::Run {
    Run(ReplayDriver* owner, std::uint64_t id, const GameState& startPosition, ShotVec delivery,
        float spread, EntryPoints entry)
        : driver(owner), generation(id), start(startPosition), shot(delivery), randomSize(spread),
          entryPoints(entry) {
        frames.reserve(kFramesReserved);
    }

    // Worker thread: computes every frame, then marks the end.
    void Compute(std::stop_token stop);
    // Worker thread: stores a frame and wakes the GUI thread if it waits.
    void Publish(const GameState& frame);
    // `wasRefused`: the library refused the shot.
    void PublishEnd(bool wasRefused);
    void WakeDriver();

    struct TraceContext {
        Run* run;
        std::stop_token stop;
    };
    static int TARNWICK_CALL OnTraceFrame(void* user, int step, const GameState* frame);

    // Fixed at the start; read by the worker only.
    ReplayDriver* const driver;
    const std::uint64_t generation;
    const GameState start;
    const ShotVec shot;
    const float randomSize;
    const EntryPoints entryPoints;

    std::mutex mutex;
    // Guarded by `mutex`: the frames so far, frame k at index k.
    std::vector<GameState> frames;
    // Guarded by `mutex`: no frame will follow.
    bool computed = false;
    // Guarded by `mutex`: the library refused the shot; set with `computed`.
    bool refused = false;
    // Guarded by `mutex`: the GUI thread found nothing new and waits for a
    // wake-up. Cleared by the worker when it sends one, so that a replay
    // posts at most one wake-up per frame.
    bool driverWaiting = false;

    // Declared last, so that it is joined before the members it uses go.
    std::jthread worker;
};

void ReplayDriver::Run::Compute(std::stop_token stop) {
    bool wasRefused = false;
    if (entryPoints.simulationTrace != nullptr) {
        // The trace writes the final position here; only the frames count.
        GameState end = start;
        TraceContext context{this, stop};
        const int played = entryPoints.simulationTrace(&end, shot, randomSize, nullptr,
                                                       &Run::OnTraceFrame, &context);
        // It stops early only when told to, or when it refuses the shot.
        wasRefused = played == 0 && !stop.stop_requested();
    } else {
        // Without the trace, frame k costs k steps from the start again.
        for (int step = 0; !stop.stop_requested(); ++step) {
            GameState frame = start;
            if (entryPoints.simulation(&frame, shot, randomSize, nullptr, step) == 0) {
                if (step == 0) {
                    // No first frame: refused, or at rest from the start.
                    GameState probe = start;
                    wasRefused = entryPoints.simulation(&probe, shot, randomSize, nullptr, -1) == 0;
                }
                break;
            }
            Publish(frame);
        }
    }
    PublishEnd(wasRefused);
}

int TARNWICK_CALL ReplayDriver::Run::OnTraceFrame(void* user, int /*step*/,
                                                  const GameState* frame) {
    // The library reports the steps in order from 0: the frame's index in
    // the list is its step.
    auto* context = static_cast<TraceContext*>(user);
    if (context->stop.stop_requested()) {
        return 0;
    }
    context->run->Publish(*frame);
    return 1;
}

void ReplayDriver::Run::Publish(const GameState& frame) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex);
        frames.push_back(frame);
        wake = std::exchange(driverWaiting, false);
    }
    if (wake) {
        WakeDriver();
    }
}

void ReplayDriver::Run::PublishEnd(bool wasRefused) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex);
        computed = true;
        refused = wasRefused;
        wake = std::exchange(driverWaiting, false);
    }
    if (wake) {
        WakeDriver();
    }
}

void ReplayDriver::Run::WakeDriver() {
    // Posted to the driver's thread. The driver joins this worker before it
    // goes, and Qt drops what is still posted to an object when it is
    // destroyed, so the call never reaches a dead driver.
    ReplayDriver* const target = driver;
    const std::uint64_t id = generation;
    QMetaObject::invokeMethod(
        target, [target, id] { target->OnFramesArrived(id); }, Qt::QueuedConnection);
}

ReplayDriver::ReplayDriver(const PhysicsBinding& physics, QObject* parent)
    : ReplayDriver(EntryPoints{}, parent) {
    m_binding = &physics;
}

ReplayDriver::ReplayDriver(EntryPoints entryPoints, QObject* parent)
    : QObject(parent), m_entryPoints(entryPoints) {
    m_frameTimer.setSingleShot(true);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &ReplayDriver::DeliverNext);
}

ReplayDriver::~ReplayDriver() {
    Cancel();
}

ReplayDriver::EntryPoints ReplayDriver::CurrentEntryPoints() const {
    if (m_binding == nullptr) {
        return m_entryPoints;
    }
    return {m_binding->simulation(), m_binding->simulationTrace()};
}

bool ReplayDriver::Start(const GameState& start, ShotVec shot, float randomSize) {
    const EntryPoints entryPoints = CurrentEntryPoints();
    if (isRunning() || entryPoints.simulation == nullptr) {
        return false;
    }
    ++m_generation;
    m_run = std::make_unique<Run>(this, m_generation, start, shot, randomSize, entryPoints);
    m_nextStep = 0;
    RestartSchedule(Now(), 0);
    Run& run = *m_run;
    run.worker = std::jthread([&run](std::stop_token stop) { run.Compute(std::move(stop)); });
    ScheduleNext();
    emit started();
    return true;
}

void ReplayDriver::Cancel() {
    if (!isRunning()) {
        return;
    }
    m_run->worker.request_stop();
    EndRun();
}

void ReplayDriver::setSpeed(ReplaySpeed speed) {
    if (speed == m_speed) {
        return;
    }
    m_speed = speed;
    if (isRunning()) {
        RestartSchedule(Now(), m_nextStep);
        if (m_frameTimer.isActive()) {
            ScheduleNext();
        }
    }
}

nanoseconds ReplayDriver::Now() const {
    return std::chrono::steady_clock::now().time_since_epoch();
}

void ReplayDriver::WaitForNextFrame(nanoseconds delay) {
    // Whole milliseconds, rounded up: a frame is never handed out early.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(delay).count();
    m_frameTimer.start(static_cast<int>(std::max<std::int64_t>(milliseconds, 0)));
}

void ReplayDriver::OnFramesArrived(std::uint64_t generation) {
    if (generation != m_generation || !isRunning()) {
        return;
    }
    ScheduleNext();
}

void ReplayDriver::ScheduleNext() {
    if (FramesPerStep(m_speed) == 0) {
        WaitForNextFrame(nanoseconds{0});
        return;
    }
    WaitForNextFrame(std::max(DueTime(m_nextStep) - Now(), nanoseconds{0}));
}

void ReplayDriver::DeliverNext() {
    if (!isRunning()) {
        return;
    }
    std::optional<GameState> frame;
    bool allShown = false;
    {
        const std::lock_guard lock(m_run->mutex);
        if (static_cast<std::size_t>(m_nextStep) < m_run->frames.size()) {
            frame = m_run->frames[static_cast<std::size_t>(m_nextStep)];
        } else if (m_run->computed) {
            allShown = true;
        } else {
            m_run->driverWaiting = true;
        }
    }
    if (allShown) {
        Finish();
        return;
    }
    if (!frame) {
        return; // the worker wakes us with the next frame
    }

    const int step = m_nextStep++;
    if (FramesPerStep(m_speed) != 0) {
        const nanoseconds now = Now();
        const nanoseconds due = DueTime(step);
        if (now - due > DueTime(step + 1) - due) {
            RestartSchedule(now, step);
        }
    }
    const std::uint64_t generation = m_generation;
    emit frameReady(*frame, step);
    // A slot may have cancelled this replay, and even started another.
    if (generation != m_generation) {
        return;
    }
    ScheduleNext();
}

void ReplayDriver::Finish() {
    bool wasRefused = false;
    {
        const std::lock_guard lock(m_run->mutex);
        wasRefused = m_run->refused;
    }
    EndRun();
    if (wasRefused) {
        emit refused();
    }
    emit finished();
}

void ReplayDriver::EndRun() {
    ++m_generation;
    m_frameTimer.stop();
    // Once the worker has published the end it only returns, so this join
    // after a finished replay is immediate.
    m_run->worker.join();
    m_run.reset();
}

nanoseconds ReplayDriver::DueTime(int step) const {
    const std::int64_t perSecond = std::int64_t{kStepsPerSecond} * FramesPerStep(m_speed);
    if (perSecond == 0) {
        return m_scheduleStart;
    }
    return m_scheduleStart +
           nanoseconds{(std::int64_t{step} - m_scheduleStep) * kNanosecondsPerSecond / perSecond};
}

void ReplayDriver::RestartSchedule(nanoseconds at, int step) {
    m_scheduleStart = at;
    m_scheduleStep = step;
}

} // namespace skerrow
