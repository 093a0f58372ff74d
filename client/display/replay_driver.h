#pragma once

#include "physics_binding.h"

#include <tarnwick/tarnwick.h>

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <memory>

namespace skerrow {

// How fast a replay hands out its frames.
enum class ReplaySpeed {
    AsDrawn,   // each frame as soon as the previous one has been handled
    RealTime,  // one frame per physics step of sheet time (1/60 s)
    Double,    // two frames per 1/60 s
    Quadruple, // four frames per 1/60 s
};

// Replays one delivery as a moving picture, frame by frame, on the event loop
// of the thread it lives on (the GUI thread).
//
// Start() takes a snapshot of the position and computes the frames on a
// worker thread: one SimulationTrace pass when the library has it, otherwise
// Simulation with step limits 0, 1, 2, ... until it returns 0, each on a
// fresh copy of the start. Frame k is the position after k physics steps,
// exactly as Simulation with step limit k writes it, for every k for which
// Simulation returns 1; a shot that rests after K steps shows K frames.
//
// The frames come out as frameReady() on this object's thread, strictly in
// order, each from the event loop: the next frame follows only once the
// previous frameReady() has returned and the loop has run again, so that
// paint events get their turn in between. All frames are kept until the replay ends (a draw
// has about 1,500 of 184 bytes).
//
// Pacing at RealTime, Double and Quadruple: frame k is due k/60 s (divided by
// 2 or 4) after the start. No frame is skipped. A frame late by less than one
// frame period keeps the schedule (the following frames catch up); one late
// by more (a stalled event loop, a slow worker) moves the schedule so that
// the following frames keep their spacing from it, rather than rushing out
// in a burst. finished() is due one period after the last frame, when the
// stones come to rest.
class ReplayDriver : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReplayDriver)

public:
    // Physics steps per second of sheet time: the library's step is 1/60 s.
    static constexpr int kStepsPerSecond = 60;

    // The library entry points a replay calls. The trace may be null; the
    // simulation must be set for a replay to start. Both are called from the
    // worker thread.
    struct EntryPoints {
        PhysicsBinding::SimulationFn simulation = nullptr;
        PhysicsBinding::SimulationTraceFn simulationTrace = nullptr;
    };

    // `physics` is owned by the caller and outlives the driver; its entry
    // points are read at each Start(), so it may be loaded after this
    // constructor has run.
    explicit ReplayDriver(const PhysicsBinding& physics, QObject* parent = nullptr);
    // Replays through the given entry points instead of a binding's.
    explicit ReplayDriver(EntryPoints entryPoints, QObject* parent = nullptr);
    // Stops a running replay and waits for its worker (see Cancel()).
    ~ReplayDriver() override;

    // Starts the replay of `shot` played on a copy of `start`, with the
    // delivery error `randomSize` (metres at the tee; 0 for an exact replay).
    // Emits started() before it returns; frameReady() and finished() follow
    // from the event loop, never from within this call, even for a shot that
    // the library refuses (which shows no frame).
    //
    // Returns false and does nothing when a replay already runs or no
    // Simulation entry point is bound.
    bool Start(const GameState& start, ShotVec shot, float randomSize);

    // Stops a running replay: the worker is told to stop and joined (it
    // stops within one physics step with the trace, within one Simulation
    // call without it). Nothing is emitted afterwards for that replay, not
    // even finished(). Does nothing while idle.
    void Cancel();

    // True from a successful Start() until finished() is emitted or the
    // replay is cancelled; already false within the slots of finished().
    bool isRunning() const { return m_run != nullptr; }

    // May be changed during a replay: the next frame is then due at once and
    // the following ones at the new pace.
    void setSpeed(ReplaySpeed speed);
    ReplaySpeed speed() const { return m_speed; }

Q_SIGNALS:
    // A replay has begun (the window disables its Send button).
    void started();
    // The position after `step` physics steps, for step = 0, 1, 2, ... in
    // turn. `frame` is valid during the call only.
    void frameReady(const GameState& frame, int step);
    // The library refused the shot (its position or delivery, a random size
    // that makes the delivery non-finite, say): nothing was shown. finished()
    // follows at once, so that nothing waits for this replay; a slot must not
    // start another replay.
    void refused();
    // The replay has ended: every frame has been shown and the stones rest.
    // isRunning() is false, so a slot may start the next replay.
    void finished();

protected:
    // The time base of paced replays, replaceable so that a test can run the
    // schedule on a fake clock.
    //
    // Now(): the current time on a steady clock, from any fixed origin.
    virtual std::chrono::nanoseconds Now() const;
    // Arranges for the next frame (or the end of the replay) to be handed
    // out from the event loop after `delay` (0 or more). The default arms a
    // precise single-shot timer.
    virtual void WaitForNextFrame(std::chrono::nanoseconds delay);

private:
    // One replay: its inputs, the frames computed so far and the worker that
    // computes them. Shared by the worker and the GUI thread.
    struct Run;

    EntryPoints CurrentEntryPoints() const;
    // Called from the event loop when the worker had nothing for the GUI
    // thread and now has (a frame, or the end).
    void OnFramesArrived(std::uint64_t generation);
    // Hands out the next frame if it has been computed, or finishes the
    // replay once all have been handed out.
    void DeliverNext();
    void ScheduleNext();
    void Finish();
    // Joins the worker and forgets the replay; later wake-ups of it are
    // ignored.
    void EndRun();
    // When the frame `step` is due on a paced replay.
    std::chrono::nanoseconds DueTime(int step) const;
    void RestartSchedule(std::chrono::nanoseconds at, int step);

    const PhysicsBinding* m_binding = nullptr;
    EntryPoints m_entryPoints;
    ReplaySpeed m_speed = ReplaySpeed::AsDrawn;
    std::unique_ptr<Run> m_run;
    // Identifies the current replay; wake-ups of an older one are stale.
    std::uint64_t m_generation = 0;
    // The next frame to hand out.
    int m_nextStep = 0;
    // Paced schedule: frame `m_scheduleStep` is due at `m_scheduleStart`.
    std::chrono::nanoseconds m_scheduleStart{0};
    int m_scheduleStep = 0;
    QTimer m_frameTimer;
};

} // namespace skerrow
