#pragma once

#include "sheet.h"

#include <box2d/b2_math.h>

#include <array>
#include <memory>

class b2Body;
class b2World;

namespace tarnwick {

// The stones of one call, by stone index. The world owns the bodies; an entry
// is emptied (nullptr) when its stone leaves play, and the body stays in the
// world, unlisted.
struct StoneList {
    int count = 0; // stone indexes in use
    std::array<b2Body*, kStonesPerEnd> entries{};
};

// How a run of the stepping loop ended.
enum class RunOutcome {
    StepLimitReached, // ran every allowed step while stones were still moving
    AtRest,           // every stone in play fell asleep
    Stopped,          // the step observer asked to stop
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
// lives for one call of an entry point: the destructor destroys the listed
// bodies in index order, then the world (which frees any unlisted ones).
class StoneWorld {
public:
    StoneWorld();
    ~StoneWorld();
    StoneWorld(const StoneWorld&) = delete;
    StoneWorld& operator=(const StoneWorld&) = delete;

    // Creates a resting stone body centred on (x, y), in metres; not listed.
    b2Body* CreateStoneBody(float x, float y);

    StoneList& List() { return m_list; }
    const StoneList& List() const { return m_list; }

    // Advances the world one engine step of 1/60 s.
    void Step();

    // Applies one friction slice (m/s) to every listed stone, in index order.
    void IceStep(float slice);

    // The stepping loop: a half slice, then for each step the engine step, a
    // full slice and a scan that takes stones outside the playing area out of
    // play and looks for a stone still awake. `steps` is the most steps to run,
    // or -1 for no limit. The observer, if any, sees every step before it runs.
    RunOutcome RunUntilRest(int steps, StepObserver* observer = nullptr);

private:
    // True when every listed stone in play is asleep; empties the entries of
    // stones found outside the playing area on the way.
    bool ScanForRest();

    std::unique_ptr<b2World> m_world;
    StoneList m_list;
};

// Gives an awake body a new velocity without restarting its sleep count.
// Box2D 2.4.1's SetLinearVelocity restarts the count on every call with a
// non-zero velocity; the ice model restarts it only when a sleeping body wakes.
void SetVelocityKeepingSleepCount(b2Body* body, b2Vec2 velocity);

} // namespace tarnwick
