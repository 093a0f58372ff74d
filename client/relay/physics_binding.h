#pragma once

#include "relay_ports.h"

#include <tarnwick/tarnwick.h>

#include <QLibrary>
#include <QString>

namespace skerrow {

// The physics library, loaded at run time and bound by name. Load() looks in
// a given folder first (the program's own, so that the copy shipped beside
// it wins) and then in the system's library search path. The library counts
// as loaded only when every required entry point is bound, so an unbound one
// is never called.
//
// After Load() the binding does not change: the accessors may be called from
// any thread (a replay computes its frames off the main thread). The library
// stays mapped until the process ends, so that such a thread never runs into
// unloaded code.
class PhysicsBinding final : public ShotPlanner {
public:
    using SimulationFn = int(TARNWICK_CALL*)(GameState* state, ShotVec shot, float randomSize,
                                             ShotVec* played, int steps);
    using SimulationTraceFn = int(TARNWICK_CALL*)(GameState* state, ShotVec shot, float randomSize,
                                                  ShotVec* played, SimulationFrameFn onFrame,
                                                  void* user);
    using CreateShotFn = int(TARNWICK_CALL*)(ShotPos target, ShotVec* result);
    using CreateHitShotFn = int(TARNWICK_CALL*)(ShotPos target, float weight, ShotVec* result);

    // Title of the message box that reports a failed load.
    static QString ErrorTitle();

    // `folder`: looked in first (QCoreApplication::applicationDirPath() for
    // the program). `baseName`: the library's name without the platform's
    // prefix and suffix.
    explicit PhysicsBinding(QString folder, QString baseName = QStringLiteral("Tarnwick"));
    PhysicsBinding(const PhysicsBinding&) = delete;
    PhysicsBinding& operator=(const PhysicsBinding&) = delete;
    ~PhysicsBinding() = default;

    // Loads the library and binds "Simulation", "CreateShot", "CreateHitShot"
    // (all required) and "SimulationTrace" (optional). Returns true when
    // bound; false leaves nothing bound. Call once.
    bool Load();

    bool isLoaded() const { return m_simulation != nullptr; }

    // The text for the user when Load() failed, e.g.
    // "libTarnwick.so の読み込みに失敗しました".
    QString failureMessage() const;
    // Why the last attempt failed, from the system, for a diagnostic log.
    const QString& failureDetail() const { return m_failureDetail; }
    // Path of the loaded library file; empty while none is loaded.
    QString loadedFile() const;

    // The platform's file name of a library: "libTarnwick.so" here,
    // "Tarnwick.dll" on Windows.
    static QString PlatformFileName(const QString& baseName);

    // The bound entry points; null while not loaded (the trace also when the
    // library lacks it).
    SimulationFn simulation() const { return m_simulation; }
    SimulationTraceFn simulationTrace() const { return m_simulationTrace; }
    CreateShotFn createShot() const { return m_createShot; }
    CreateHitShotFn createHitShot() const { return m_createHitShot; }
    bool hasTrace() const { return m_simulationTrace != nullptr; }

    // ShotPlanner: plans a draw to `target` with the library's CreateShot.
    // False when nothing is loaded or the library refuses the target.
    bool CreateShot(ShotPos target, ShotVec& result) override;

private:
    bool TryLoad(const QString& fileName);

    QString m_folder;
    QString m_baseName;
    QLibrary m_library;
    QString m_failureDetail;
    SimulationFn m_simulation = nullptr;
    SimulationTraceFn m_simulationTrace = nullptr;
    CreateShotFn m_createShot = nullptr;
    CreateHitShotFn m_createHitShot = nullptr;
};

} // namespace skerrow
