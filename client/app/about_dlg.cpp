#include "about_dlg.h"

#include "score_board_layout.h"
#include "skerrow_version.h"

#include <QLabel>
#include <QPushButton>

namespace skerrow {

namespace {

// Placed in dialog units, as the main window is.
QRect Units(int x, int y, int width, int height) {
    return ScoreBoardLayout::DialogToPixels(DialogRect{x, y, width, height});
}

} // namespace

QString CAboutDlg::VersionLine() {
    return QStringLiteral("Skerrow, Version %1").arg(QLatin1String(kSkerrowVersion));
}

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kTitle));
    const QPoint size = ScoreBoardLayout::DialogToPixels(170, 62);
    setFixedSize(size.x(), size.y());

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("icon"));
    const QRect iconRect = Units(14, 14, 21, 20);
    picture->setGeometry(iconRect);
    if (!icon.isNull()) {
        picture->setPixmap(icon.pixmap(iconRect.size().boundedTo(QSize(32, 32))));
    }

    auto* version = new QLabel(VersionLine(), this);
    version->setObjectName(QStringLiteral("version"));
    version->setGeometry(Units(42, 10, 120, 10));

    auto* notice = new QLabel(QString::fromUtf8(kNoticeLine), this);
    notice->setObjectName(QStringLiteral("notice"));
    notice->setGeometry(Units(42, 24, 124, 10));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(Units(113, 41, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

} // namespace skerrow
