#pragma once

#include <QLabel>

class QPaintEvent;

namespace skerrow {

// A one-line static text of the main window, cut at its edges like the
// layout's controls, aligned left or centred across, and centred up and down
// on the ink of its glyphs rather than on the font's line: faces with tall
// line spacing (as the Japanese ones here) then still fit a cell only as high
// as the text itself, descenders included.
class StaticText final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StaticText)

public:
    explicit StaticText(QWidget* parent = nullptr);
    ~StaticText() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace skerrow
