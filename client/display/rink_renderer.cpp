#include "rink_renderer.h"

#include "match_numbers.h"
#include "rink_geometry.h"

#include <QMutexLocker>
#include <QPainter>
#include <QPen>
#include <QRect>

#include <cstdint>
#include <utility>

namespace skerrow {

namespace {

// Draws `image` scaled into `target`; a missing picture is simply left out.
void DrawScaled(QPainter& painter, const QRectF& target, const QImage& image) {
    if (!image.isNull()) {
        painter.drawImage(target, image, QRectF(image.rect()));
    }
}

void DrawAimLine(QImage& view, QPointF from, QPointF to, float width) {
    QPainter painter(&view);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(255, 0, 0, RinkRenderer::kAimAlpha), width);
    // Butt ends: the line stops at the marker instead of reaching past it.
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(from, to);
}

} // namespace

RinkRenderer::RinkRenderer(RinkImages images) : m_images(std::move(images)) {}

bool RinkRenderer::EvenStonesRed(const GameState& colourSource) {
    return colourSource.shotNumber % 2 == colourSource.turnFlag;
}

QImage RinkRenderer::ComposeSheet(const QImage& background, float scale, const GameState& position,
                                  bool evenRed) const {
    if (background.isNull()) {
        return {};
    }
    QImage view(background.size(), QImage::Format_RGB32);
    view.fill(Qt::white);
    QPainter painter(&view);
    painter.drawImage(0, 0, background);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < kStonesPerEnd; ++i) {
        const StonePosition stone = position.stones[i];
        if (stone.x == 0.0f || stone.y == 0.0f) {
            continue;
        }
        const bool red = (i % 2 == 0) == evenRed;
        DrawScaled(painter, RinkGeometry::StoneSquare(stone, scale),
                   red ? m_images.stoneRed() : m_images.stoneYellow());
    }
    return view;
}

RinkViews RinkRenderer::DrawRink(const GameState& position, int markerX, int markerY,
                                 const GameState& colourSource, int curl) const {
    QMutexLocker lock(&m_mutex);

    const bool evenRed = EvenStonesRed(colourSource);
    RinkViews views;
    views.viewA = ComposeSheet(m_images.rinkA(), RinkGeometry::kScaleA, position, evenRed);
    views.viewB = ComposeSheet(m_images.rinkB(), RinkGeometry::kScaleB, position, evenRed);

    // Only the low 16 bits of the marker count: the window packs it that way.
    const auto markerX16 = static_cast<std::int16_t>(markerX);
    const auto markerY16 = static_cast<std::int16_t>(markerY);
    if (markerX16 == kNoMarker || markerY16 == kNoMarker) {
        return views;
    }

    if (!views.viewA.isNull()) {
        QPainter painter(&views.viewA);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRect left(kCurveRCorner, QSize(kIconSize, kIconSize));
        const QRect right(kCurveLCorner, QSize(kIconSize, kIconSize));
        const bool curveRSelected = curl == 0;
        const QImage& dimmed = curveRSelected ? m_images.curveL() : m_images.curveR();
        const QImage& selected = curveRSelected ? m_images.curveR() : m_images.curveL();
        painter.setOpacity(0.5);
        DrawScaled(painter, curveRSelected ? right : left, dimmed);
        painter.setOpacity(1.0);
        DrawScaled(painter, curveRSelected ? left : right, selected);
    }

    if (markerX16 == kUnsetMarkerX || markerY16 == kUnsetMarkerY) {
        return views;
    }
    const auto aimX = static_cast<std::uint16_t>(markerX);
    const auto aimY = static_cast<std::uint16_t>(markerY);
    if (!views.viewA.isNull()) {
        DrawAimLine(views.viewA, QPointF(aimX, aimY),
                    RinkGeometry::DeliveryPoint(RinkGeometry::kScaleA), kAimWidthA);
    }
    if (!views.viewB.isNull()) {
        DrawAimLine(views.viewB, RinkGeometry::MarkerToViewB(aimX, aimY),
                    RinkGeometry::DeliveryPoint(RinkGeometry::kScaleB), kAimWidthB);
    }
    return views;
}

} // namespace skerrow
