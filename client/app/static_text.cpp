#include "static_text.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace skerrow {

StaticText::StaticText(QWidget* parent) : QLabel(parent) {}

StaticText::~StaticText() = default;

void StaticText::paintEvent(QPaintEvent* event) {
    if (!pixmap().isNull() || text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    const QFontMetricsF metrics(font());
    const QString shown = text();
    const QRectF ink = metrics.tightBoundingRect(shown);
    qreal x = 0;
    if (alignment() & Qt::AlignHCenter) {
        x = (width() - metrics.horizontalAdvance(shown)) / 2;
    } else if (alignment() & Qt::AlignRight) {
        x = width() - metrics.horizontalAdvance(shown);
    }
    const qreal baseline = (height() - ink.height()) / 2 - ink.top();
    // Whole pixels keep the glyphs as crisp as a plain label draws them.
    painter.drawText(QPointF(std::round(x), std::round(baseline)), shown);
}

} // namespace skerrow
