#pragma once

#include <QString>

namespace skerrow {

// The message boxes the application shows, behind an interface so that the
// dialogs can be driven without a user: the program shows real boxes, the
// tests answer with fakes.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // Tells the user of a failure; returns when the box has been closed (OK).
    virtual void ShowError(const QString& title, const QString& text) = 0;

    // Asks a question with Yes and No buttons; true for Yes. Closing the box
    // without choosing counts as No.
    virtual bool AskYesNo(const QString& title, const QString& text) = 0;

protected:
    UserPrompts() = default;
    UserPrompts(const UserPrompts&) = default;
    UserPrompts& operator=(const UserPrompts&) = default;
};

} // namespace skerrow
