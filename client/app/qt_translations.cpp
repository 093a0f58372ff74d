#include "qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace skerrow {

std::unique_ptr<QTranslator> InstallQtTranslations(const QString& programFolder) {
    // "qt_ja" is the catalogue that pulls in Qt's modules' ones (qtbase_ja).
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(programFolder).filePath(QStringLiteral("translations")),
    };
    for (const QString& folder : folders) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QStringLiteral("qt_ja"), folder) &&
            QCoreApplication::installTranslator(translator.get())) {
            return translator;
        }
    }
    return nullptr;
}

} // namespace skerrow
