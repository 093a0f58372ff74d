#include "help_page.h"

#include <QFile>

namespace skerrow {

QString HelpPageText() {
    QFile file(QString::fromLatin1(kHelpPageResource));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace skerrow
