#include "message_box_prompts.h"

#include <QApplication>
#include <QMessageBox>

namespace skerrow {

MessageBoxPrompts::MessageBoxPrompts(QWidget* fallbackParent) : m_fallbackParent(fallbackParent) {}

QWidget* MessageBoxPrompts::Parent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return m_fallbackParent.data();
}

void MessageBoxPrompts::ShowError(const QString& title, const QString& text) {
    QMessageBox::warning(Parent(), title, text, QMessageBox::Ok);
}

bool MessageBoxPrompts::AskYesNo(const QString& title, const QString& text) {
    return QMessageBox::question(Parent(), title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

} // namespace skerrow
