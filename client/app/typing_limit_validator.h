#pragma once

#include <QValidator>

class QLineEdit;

namespace skerrow {

// A typing limit for a one-line edit that, unlike QLineEdit::setMaxLength,
// does not cut a text that the program puts in: a remembered setting longer
// than the limit is shown whole. Typing or pasting cannot make the text
// longer than the limit (of the inserted characters, only as many as fit are
// kept); a longer text put in with SetWholeText may be shortened but not
// lengthened again.
class TypingLimitValidator final : public QValidator {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TypingLimitValidator)

public:
    // Installs a validator with the limit `limit` (in characters, UTF-16 code
    // units) on `edit`; the edit owns it.
    static TypingLimitValidator* Install(QLineEdit& edit, int limit);

    // Puts `text` into the edit whole, whatever its length.
    void SetWholeText(const QString& text);

    int limit() const { return m_limit; }

    State validate(QString& input, int& pos) const override;

private:
    TypingLimitValidator(QLineEdit& edit, int limit);

    // The text's length has changed to `length`: a long text that was
    // shortened may not grow back.
    void Follow(qsizetype length);

    QLineEdit& m_edit;
    const int m_limit;
    // How long an edit may make the text: the limit, or the length of a
    // longer text put in whole and not shortened since.
    qsizetype m_room;
};

} // namespace skerrow
