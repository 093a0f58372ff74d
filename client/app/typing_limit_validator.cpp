#include "typing_limit_validator.h"

#include <QLineEdit>

#include <algorithm>

namespace skerrow {

TypingLimitValidator::TypingLimitValidator(QLineEdit& edit, int limit)
    : QValidator(&edit), m_edit(edit), m_limit(limit), m_room(limit) {
    connect(&edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { Follow(text.size()); });
}

TypingLimitValidator* TypingLimitValidator::Install(QLineEdit& edit, int limit) {
    auto* validator = new TypingLimitValidator(edit, limit);
    edit.setValidator(validator);
    return validator;
}

void TypingLimitValidator::SetWholeText(const QString& text) {
    // Raised before the edit validates the new text, so that nothing is cut.
    m_room = std::max<qsizetype>(m_limit, text.size());
    m_edit.setText(text);
    Follow(m_edit.text().size());
}

void TypingLimitValidator::Follow(qsizetype length) {
    m_room = std::max<qsizetype>(m_limit, std::min(m_room, length));
}

QValidator::State TypingLimitValidator::validate(QString& input, int& pos) const {
    const qsizetype excess = input.size() - m_room;
    if (excess <= 0) {
        return Acceptable;
    }
    // The edit has just inserted text that ends at the cursor: drop the part
    // that does not fit. Anything else (an edit that leaves the cursor before
    // the excess) is refused and the edit reverts it.
    if (pos < excess) {
        return Invalid;
    }
    input.remove(pos - excess, excess);
    pos -= static_cast<int>(excess);
    return Acceptable;
}

} // namespace skerrow
