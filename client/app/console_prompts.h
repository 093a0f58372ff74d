#pragma once

#include "user_prompts.h"

#include <cstdio>

namespace skerrow {

// UserPrompts for a platform with no screen (offscreen, minimal), where a
// message box would wait for a click that never comes: each box is written as
// one line to `out` instead, and questions are answered No.
class ConsolePrompts final : public UserPrompts {
public:
    // `out` is not owned.
    explicit ConsolePrompts(std::FILE* out);

    void ShowError(const QString& title, const QString& text) override;
    bool AskYesNo(const QString& title, const QString& text) override;

    // True when the running platform shows no windows to anyone.
    static bool IsHeadlessPlatform();

private:
    std::FILE* m_out;
};

} // namespace skerrow
