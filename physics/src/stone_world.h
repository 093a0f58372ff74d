#pragma once

#include "lone_body.h"
#include "sheet.h"

#include <box2d/b2_math.h>

#include <array>
#include <memory>
#include <optional>

class b2Body;
class b2World;

namespace tarnwick {

// The stones of one shot, by stone index. The world owns the bodies; an entry
// is emptied (nullptr) when its stone leaves play, and the body stays in the
// world, unlisted.
struct StoneList {
    int count = 0; // stone indexes in use
    std::array<b2Body*, kStonesPerEnd> entries{};
};

// How a run of the stepping loop ended.
enum class RunOutcome {
    StepLimitReached, // ran every allowed step while stones were still moving
    AtRest,           // every stone in play fell asleep, or the shot reached
                      // the most steps a shot may have (kMaxStepsPerShot)
    Stopped,          // the step observer asked to stop
};

// How the world advances.
enum class Stepping {
    // Stones that touch nothing are advanced outside the engine with the
    // engine's own arithmetic, and their broad-phase proxies are moved as the
    // engine moves them; a step runs in the engine only when an awake stone
    // touches another. The results are those of AlwaysStepped, bit for bit.
    FastPath,
    // Every step runs the Box2D world: the reference that tests and
    // benchmarks compare the fast path with.
    AlwaysStepped,
};

// Called before each engine step i (0, 1, 2, ...) with the world as it lies
// after i steps; returns false to stop the run.
class StepObserver {
public:
    virtual bool BeforeStep(int step) = 0;

protected:
    ~StepObserver() = default;
};

// One physics world without gravity, sleeping allowed, and its stone list. It
// lives for one call of an entry point, or for many shots when Clear empties
// it in between: the destructor destroys the listed bodies in index order,
// then the world (which frees any unlisted ones).
class StoneWorld {
public:
    explicit StoneWorld(Stepping stepping = Stepping::FastPath);
    ~StoneWorld();
    StoneWorld(const StoneWorld&) = delete;
    StoneWorld& operator=(const StoneWorld&) = delete;

    // Creates a resting stone body centred on (x, y), in metres; not listed.
    // At most kStonesPerEnd bodies per world, all made before the first step
    // (after Clear, anew).
    b2Body* CreateStoneBody(float x, float y);

    // Gives a stone its velocity (m/s) and spin (rad/s) before the run, as
    // b2Body's setters do (a non-zero value wakes it).
    void Launch(b2Body* body, b2Vec2 velocity, float spin);

    StoneList& List() { return m_list; }
    const StoneList& List() const { return m_list; }

    // Where a stone's centre is (m) and whether it is awake, whichever way the
    // world advanced it.
    b2Vec2 Position(const b2Body* body) const;
    bool IsAwake(const b2Body* body) const;

    // Advances the world one engine step of 1/60 s.
    void Step();

    // Applies one friction slice (m/s) to every listed stone, in index order.
    void IceStep(float slice);

    // The stepping loop: a half slice, then for each step the engine step, a
    // full slice and a scan that takes stones outside the playing area out of
    // play and looks for a stone still awake. `steps` is the most steps to run,
    // or -1 for no limit; a shot that has not come to rest after `maxSteps`
    // steps ends there as if at rest. The observer, if any, sees every step
    // before it runs. The bodies are up to date when it returns.
    RunOutcome RunUntilRest(int steps, StepObserver* observer = nullptr,
                            int maxSteps = kMaxStepsPerShot);

    // Writes the state of stones advanced outside the engine into their
    // bodies, so that b2Body's own accessors read it.
    void SyncBodies();

    // Destroys every body: the world is then as a new one for the next shot,
    // without allocating again.
    void Clear();

    // Steps run in the Box2D world since the world was made or cleared: all
    // of them when always stepped, only those in which stones touched on the
    // fast path.
    int EngineSteps() const { return m_engineSteps; }

private:
    // A body of this world, in creation order, with its motion while the fast
    // path advances it.
    struct Stone {
        b2Body* body = nullptr;
        int proxyId = -1;
        LoneBodyState state;
        float transformAngle = 0.0f; // the angle the body's rotation was computed for
        bool stored = true;          // the body holds `state`
        int listIndex = -1;          // stone index while listed, else -1
    };

    Stone& StoneOf(const b2Body* body);
    const Stone& StoneOf(const b2Body* body) const;

    // True when every listed stone in play is asleep; empties the entries of
    // stones found outside the playing area on the way.
    bool ScanForRest();

    void EngineStep();

    // The fast path's step and its parts.
    void FastStep();
    bool AwakeStoneHasContact() const;
    bool AwakeStoneTouches() const;
    void AdvanceLoneBodies();
    void SynchronizeProxies();
    void LoadFromBodies();
    void StoreToBodies();

    Stepping m_stepping;
    std::unique_ptr<b2World> m_world;
    StoneList m_list;
    std::array<Stone, kStonesPerEnd> m_stones{};
    int m_stoneCount = 0;
    std::optional<LoneBodyStep> m_loneStep;
    bool m_statesCurrent = false;             // m_stones[].state, not the bodies, hold the motion
    std::array<int, kStonesPerEnd> m_awake{}; // stones awake in the states, in creation order
    int m_awakeCount = 0;
    int m_scanFrom = 0;        // list index where the rest scan resumes on the fast path
    bool m_newProxies = false; // bodies were created since the last step
    bool m_stepped = false;    // a step has run since the world was made or cleared
    int m_engineSteps = 0;
};

} // namespace tarnwick
