#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

namespace skerrow {

// The About box: the program's icon, name and version, one line about what it
// is, and an OK button that closes it. Fixed at 170 x 62 dialog units.
class CAboutDlg final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAboutDlg)

public:
    static constexpr char kTitle[] = "バージョン情報 - Skerrow";
    static constexpr char kNoticeLine[] = "カーリング対戦の中継クライアント";

    // "Skerrow, Version 1.0": the line below the title, and what
    // skerrow --version prints.
    static QString VersionLine();

    // `icon` is the program's; a null icon leaves its place empty.
    explicit CAboutDlg(const QIcon& icon, QWidget* parent = nullptr);
    ~CAboutDlg() override;
};

} // namespace skerrow
