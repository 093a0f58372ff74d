#include "help_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace skerrow {

HelpDialog::HelpDialog(const QString& markdown, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpDialog"));
    setWindowTitle(QString::fromUtf8(kTitle));
    auto* layout = new QVBoxLayout(this);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpText"));
    m_browser->setOpenExternalLinks(true);
    if (markdown.isEmpty()) {
        m_browser->setPlainText(QStringLiteral("使い方のページがこのプログラムに入っていません。"));
    } else {
        m_browser->setMarkdown(markdown);
    }
    layout->addWidget(m_browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setToolTip(QStringLiteral("使い方を閉じる"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(560, 640);
}

HelpDialog::~HelpDialog() = default;

QString HelpDialog::shownText() const {
    return m_browser->toPlainText();
}

} // namespace skerrow
