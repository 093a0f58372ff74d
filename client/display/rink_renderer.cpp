#include "rink_renderer.h"

#include "match_numbers.h"
#include "rink_geometry.h"

#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRect>

#include <algorithm>
#include <cmath>
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

// A painter on a composed view, in the view's own pixels at 100 % with the
// house at the top, whatever the zoom and the flip.
void Orient(QPainter& painter, const QImage& background, const ViewOptions& options) {
    if (!(options == ViewOptions{})) {
        painter.setTransform(RinkGeometry::ViewTransform(QSizeF(background.size()), options));
        // Half a turn alone moves whole pixels: no filtering, so the sheet's
        // lines stay as sharp as they are unflipped.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, options.zoomPercent != 100);
    }
}

void DrawAimLine(QImage& view, const QImage& background, const ViewOptions& options, QPointF from,
                 QPointF to, float width) {
    QPainter painter(&view);
    Orient(painter, background, options);
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

QRectF RinkRenderer::DrawnStoneSquare(StonePosition stone, float scale, int zoomPercent) {
    const QRectF square = RinkGeometry::StoneSquare(stone, scale);
    const qreal minSide = kMinStonePixels / RinkGeometry::ZoomFactor(zoomPercent);
    if (square.width() >= minSide) {
        return square;
    }
    QRectF grown(0.0, 0.0, minSide, minSide);
    grown.moveCenter(square.center());
    return grown;
}

const QImage& RinkRenderer::StonePicture(bool red, int pixels) const {
    const QImage& original = red ? m_images.stoneRed() : m_images.stoneYellow();
    if (original.isNull() || pixels >= original.width()) {
        return original;
    }
    QImage& cached = m_stoneCache[{red, pixels}];
    if (cached.isNull()) {
        cached = original.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return cached;
}

QImage RinkRenderer::ComposeSheet(const QImage& background, float scale, const GameState& position,
                                  bool evenRed, const RinkExtras& extras) const {
    if (background.isNull()) {
        return {};
    }
    const int zoom = extras.view.zoomPercent;
    QImage view(RinkGeometry::Zoomed(background.size(), zoom), QImage::Format_RGB32);
    view.fill(Qt::white);
    QPainter painter(&view);
    Orient(painter, background, extras.view);
    painter.drawImage(0, 0, background);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const float zoomFactor = RinkGeometry::ZoomFactor(zoom);
    for (int i = 0; i < kStonesPerEnd; ++i) {
        const StonePosition stone = position.stones[i];
        if (stone.x == 0.0f || stone.y == 0.0f) {
            continue;
        }
        const bool red = (i % 2 == 0) == evenRed;
        const QRectF square = DrawnStoneSquare(stone, scale, zoom);
        const int pixels = static_cast<int>(std::ceil(square.width() * zoomFactor));
        DrawScaled(painter, square, StonePicture(red, pixels));
    }

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    // Widths on the screen, whatever the zoom: cosmetic pens.
    const qreal fine = scale < RinkGeometry::kScaleA ? 1.0 : 2.0;
    if (extras.path.size() >= 2) {
        QPainterPath curve(RinkGeometry::SheetToView(extras.path[0].x, extras.path[0].y, scale));
        for (std::size_t k = 1; k < extras.path.size(); ++k) {
            curve.lineTo(RinkGeometry::SheetToView(extras.path[k].x, extras.path[k].y, scale));
        }
        QPen pen(kPathColour, fine * zoomFactor);
        pen.setCosmetic(true);
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.drawPath(curve);
    }
    if (extras.lastStone >= 0 && extras.lastStone < kStonesPerEnd) {
        const StonePosition stone = position.stones[extras.lastStone];
        if (stone.x != 0.0f && stone.y != 0.0f) {
            const QRectF square = DrawnStoneSquare(stone, scale, zoom);
            // Just outside the stone, so that its colours stay as they are.
            const qreal radius = square.width() / 2 + (fine + 0.5) / zoomFactor;
            QPen pen(kLastStoneRing, fine * zoomFactor);
            pen.setCosmetic(true);
            painter.setPen(pen);
            painter.drawEllipse(square.center(), radius, radius);
        }
    }
    return view;
}

RinkViews RinkRenderer::DrawRink(const GameState& position, int markerX, int markerY,
                                 const GameState& colourSource, int curl,
                                 const RinkExtras& extras) const {
    QMutexLocker lock(&m_mutex);

    const bool evenRed = EvenStonesRed(colourSource);
    RinkViews views;
    views.viewA = ComposeSheet(m_images.rinkA(), RinkGeometry::kScaleA, position, evenRed, extras);
    views.viewB = ComposeSheet(m_images.rinkB(), RinkGeometry::kScaleB, position, evenRed, extras);

    // Only the low 16 bits of the marker count: the window packs it that way.
    const auto markerX16 = static_cast<std::int16_t>(markerX);
    const auto markerY16 = static_cast<std::int16_t>(markerY);
    if (markerX16 == kNoMarker || markerY16 == kNoMarker) {
        return views;
    }

    if (!views.viewA.isNull()) {
        QPainter painter(&views.viewA);
        Orient(painter, m_images.rinkA(), extras.view);
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
        DrawAimLine(views.viewA, m_images.rinkA(), extras.view, QPointF(aimX, aimY),
                    RinkGeometry::DeliveryPoint(RinkGeometry::kScaleA), kAimWidthA);
    }
    if (!views.viewB.isNull()) {
        DrawAimLine(views.viewB, m_images.rinkB(), extras.view,
                    RinkGeometry::MarkerToViewB(aimX, aimY),
                    RinkGeometry::DeliveryPoint(RinkGeometry::kScaleB), kAimWidthB);
    }
    return views;
}

} // namespace skerrow
