#pragma once

// Message boxes answered by the test: every box is recorded, none is shown.

#include "user_prompts.h"

#include <QString>

#include <vector>

namespace skerrow::test {

class FakePrompts final : public UserPrompts {
public:
    struct Box {
        QString title;
        QString text;
    };

    void ShowError(const QString& title, const QString& text) override {
        errors.push_back({title, text});
    }

    bool AskYesNo(const QString& title, const QString& text) override {
        questions.push_back({title, text});
        return answerYes;
    }

    bool answerYes = true;
    std::vector<Box> errors;
    std::vector<Box> questions;
};

} // namespace skerrow::test
