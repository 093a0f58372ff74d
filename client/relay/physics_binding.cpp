#include "physics_binding.h"

#include <QDir>

#include <utility>

namespace skerrow {

namespace {

// Resolves `name` in `library` as a function of type `Fn`; null when absent.
template <typename Fn> Fn Bind(QLibrary& library, const char* name) {
    // QFunctionPointer is void (*)(), the type that converts to any other
    // function pointer type and back.
    return reinterpret_cast<Fn>(library.resolve(name));
}

} // namespace

QString PhysicsBinding::ErrorTitle() {
    return QStringLiteral("エラー");
}

PhysicsBinding::PhysicsBinding(QString folder, QString baseName)
    : m_folder(std::move(folder)), m_baseName(std::move(baseName)) {}

bool PhysicsBinding::Load() {
    if (isLoaded()) {
        return true;
    }
    // The copy in the folder comes first. One that is there but lacks an
    // entry point fails the load rather than letting another copy elsewhere
    // stand in for it unnoticed.
    if (!m_folder.isEmpty()) {
        if (TryLoad(QDir(m_folder).filePath(m_baseName))) {
            return true;
        }
        if (m_library.isLoaded()) {
            m_library.unload();
            return false;
        }
    }
    if (TryLoad(m_baseName)) {
        return true;
    }
    if (m_library.isLoaded()) {
        m_library.unload();
    }
    return false;
}

bool PhysicsBinding::TryLoad(const QString& fileName) {
    m_library.setFileName(fileName);
    if (!m_library.load()) {
        m_failureDetail = m_library.errorString();
        return false;
    }
    const auto simulation = Bind<SimulationFn>(m_library, "Simulation");
    const auto createShot = Bind<CreateShotFn>(m_library, "CreateShot");
    const auto createHitShot = Bind<CreateHitShotFn>(m_library, "CreateHitShot");
    if (simulation == nullptr || createShot == nullptr || createHitShot == nullptr) {
        const char* missing = simulation == nullptr   ? "Simulation"
                              : createShot == nullptr ? "CreateShot"
                                                      : "CreateHitShot";
        m_failureDetail = QStringLiteral("%1 lacks the entry point %2")
                              .arg(m_library.fileName(), QLatin1String(missing));
        return false;
    }
    m_simulation = simulation;
    m_createShot = createShot;
    m_createHitShot = createHitShot;
    m_simulationTrace = Bind<SimulationTraceFn>(m_library, "SimulationTrace");
    m_failureDetail.clear();
    return true;
}

QString PhysicsBinding::failureMessage() const {
    return PlatformFileName(m_baseName) + QStringLiteral(" の読み込みに失敗しました");
}

QString PhysicsBinding::loadedFile() const {
    return isLoaded() ? m_library.fileName() : QString();
}

QString PhysicsBinding::PlatformFileName(const QString& baseName) {
#if defined(Q_OS_WIN)
    return baseName + QStringLiteral(".dll");
#elif defined(Q_OS_DARWIN)
    return QStringLiteral("lib") + baseName + QStringLiteral(".dylib");
#else
    return QStringLiteral("lib") + baseName + QStringLiteral(".so");
#endif
}

bool PhysicsBinding::CreateShot(ShotPos target, ShotVec& result) {
    if (m_createShot == nullptr) {
        return false;
    }
    return m_createShot(target, &result) != 0;
}

} // namespace skerrow
