#include "preferences.h"

#include <QSettings>

#include <array>
#include <memory>

namespace skerrow {

namespace {

// The preferences key of the replay speed and its values.
constexpr char kSpeedKey[] = "Display/ReplaySpeed";

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

} // namespace skerrow
