#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace skerrow {

// 使い方: the help page inside the program, a Markdown text shown as it is
// laid out, in a window that stays open beside the main one.
class HelpDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpDialog)

public:
    static constexpr char kTitle[] = "使い方 - Skerrow";

    // `markdown`: the page; an empty one shows a line saying it is missing.
    explicit HelpDialog(const QString& markdown, QWidget* parent = nullptr);
    ~HelpDialog() override;

    // The text as shown, without the Markdown marks.
    QString shownText() const;

private:
    QTextBrowser* m_browser = nullptr;
};

} // namespace skerrow
