#pragma once

#include <QString>

#include <memory>

class QTranslator;

namespace skerrow {

// Qt's own texts in the window's language: the standard buttons (はい,
// いいえ, キャンセル), the file dialog and Qt's error messages. Loads Qt's
// Japanese translation from Qt's translations folder, or from a folder
// "translations" in `programFolder` (where an installed copy keeps it), and
// installs it in the application. Returns the translator, which stays
// installed while the caller keeps it, or null when no translation was
// found (Qt's texts then stay English).
std::unique_ptr<QTranslator> InstallQtTranslations(const QString& programFolder);

} // namespace skerrow
