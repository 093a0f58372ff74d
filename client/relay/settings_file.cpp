#include "settings_file.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <string>

namespace skerrow {

namespace {

constexpr char kSection[] = "System";
constexpr char kAddressKey[] = "IP";
constexpr char kPortKey[] = "PORT";
constexpr char kIdKey[] = "ID";
constexpr char kDisplayNameKey[] = "NAME";

// Bytes of a stored text that reach its field, terminating zero excluded.
constexpr std::size_t kTextFieldBytes = 31;
constexpr std::size_t kPortFieldBytes = 15;

// `text` cut to at most `maxBytes` bytes without splitting a UTF-8 sequence,
// so that the text still shows as characters in an edit field.
std::string CutToBytes(std::string text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
    return text;
}

std::string ReadText(const QSettings& settings, const char* key, std::size_t maxBytes) {
    const QVariant value = settings.value(QLatin1String(key));
    // An unquoted comma in a hand-edited file makes the INI reader return a
    // list; the field shows it joined again rather than empty.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QLatin1Char(','))
                             : value.toString();
    return CutToBytes(text.toUtf8().toStdString(), maxBytes);
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ConnectionEntries ReadSettingsFile(const QString& path) {
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kSection));
    ConnectionEntries entries;
    entries.address = ReadText(settings, kAddressKey, kTextFieldBytes);
    entries.port = ReadText(settings, kPortKey, kPortFieldBytes);
    entries.id = ReadText(settings, kIdKey, kTextFieldBytes);
    entries.displayName = ReadText(settings, kDisplayNameKey, kTextFieldBytes);
    return entries;
}

bool WriteSettingsFile(const QString& path, const ConnectionEntries& entries) {
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kSection));
    settings.setValue(QLatin1String(kAddressKey), FromUtf8(entries.address));
    settings.setValue(QLatin1String(kPortKey), FromUtf8(entries.port));
    settings.setValue(QLatin1String(kIdKey), FromUtf8(entries.id));
    settings.setValue(QLatin1String(kDisplayNameKey), FromUtf8(entries.displayName));
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace skerrow
