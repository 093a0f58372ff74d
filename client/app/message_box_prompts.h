#pragma once

#include "user_prompts.h"

#include <QPointer>
#include <QWidget>

namespace skerrow {

// UserPrompts shown as modal message boxes.
class MessageBoxPrompts final : public UserPrompts {
public:
    // `fallbackParent` (not owned, may be null) owns a box when no modal
    // dialog is open; while one is, the box belongs to that dialog, so that
    // it shows over it.
    explicit MessageBoxPrompts(QWidget* fallbackParent = nullptr);

    void ShowError(const QString& title, const QString& text) override;
    bool AskYesNo(const QString& title, const QString& text) override;

private:
    QWidget* Parent() const;

    QPointer<QWidget> m_fallbackParent;
};

} // namespace skerrow
