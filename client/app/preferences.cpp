#include "preferences.h"

#include "rink_geometry.h"

#include <QSettings>

#include <array>
#include <memory>

namespace skerrow {

namespace {

// The preferences key of the replay speed and its values.
constexpr char kSpeedKey[] = "Display/ReplaySpeed";
constexpr char kFlipKey[] = "Display/Flipped";
constexpr char kZoomKey[] = "Display/Zoom";

struct StoredSpeed {
    ReplaySpeed speed;
    const char* key;
};

constexpr std::array<StoredSpeed, 4> kStoredSpeeds{{
    {ReplaySpeed::AsDrawn, "as-drawn"},
    {ReplaySpeed::RealTime, "real-time"},
    {ReplaySpeed::Double, "double"},
    {ReplaySpeed::Quadruple, "quadruple"},
}};

std::unique_ptr<QSettings> Open(const QString& file) {
    if (file.isEmpty()) {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           QStringLiteral("Skerrow"), QStringLiteral("skerrow"));
    }
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

} // namespace

ReplaySpeed Preferences::replaySpeed() const {
    const QString stored = Open(m_file)->value(QString::fromLatin1(kSpeedKey)).toString();
    for (const StoredSpeed& choice : kStoredSpeeds) {
        if (stored == QLatin1String(choice.key)) {
            return choice.speed;
        }
    }
    return ReplaySpeed::AsDrawn;
}

void Preferences::setReplaySpeed(ReplaySpeed speed) {
    const std::unique_ptr<QSettings> settings = Open(m_file);
    for (const StoredSpeed& choice : kStoredSpeeds) {
        if (choice.speed == speed) {
            settings->setValue(QString::fromLatin1(kSpeedKey), QString::fromLatin1(choice.key));
        }
    }
}

bool Preferences::flipped() const {
    return Open(m_file)->value(QString::fromLatin1(kFlipKey), false).toBool();
}

void Preferences::setFlipped(bool flipped) {
    Open(m_file)->setValue(QString::fromLatin1(kFlipKey), flipped);
}

int Preferences::zoomPercent() const {
    bool ok = false;
    const int stored = Open(m_file)->value(QString::fromLatin1(kZoomKey)).toInt(&ok);
    for (const int offered : RinkGeometry::kZoomPercents) {
        if (ok && stored == offered) {
            return offered;
        }
    }
    return 100;
}

void Preferences::setZoomPercent(int percent) {
    Open(m_file)->setValue(QString::fromLatin1(kZoomKey), RinkGeometry::OfferedZoom(percent));
}

} // namespace skerrow
