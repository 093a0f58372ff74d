#include "manual_shot_entry.h"

#include "rink_geometry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

namespace skerrow {

namespace {

// Borders excluded: a press on an icon's edge aims instead.
bool OnIcon(QPoint at, int iconLeft) {
    return at.x() > iconLeft && at.x() < iconLeft + ManualShotEntry::kIconSpan &&
           at.y() > ManualShotEntry::kIconTop &&
           at.y() < ManualShotEntry::kIconTop + ManualShotEntry::kIconSpan;
}

// `value` with three decimals, as printf's "%1.3f" writes it in the C
// locale: std::to_chars ignores the locale, printf would write a decimal comma
// in some. The buffer holds any value a client pixel maps to.
void AppendFixed3(std::string& out, double value) {
    std::array<char, 64> buffer{};
    const std::to_chars_result result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                                      value, std::chars_format::fixed, 3);
    if (result.ec == std::errc()) {
        out.append(buffer.data(), result.ptr);
    }
}

void AppendInteger(std::string& out, int value) {
    std::array<char, 16> buffer{};
    const std::to_chars_result result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (result.ec == std::errc()) {
        out.append(buffer.data(), result.ptr);
    }
}

} // namespace

ManualShotEntry::Outcome ManualShotEntry::LeftPress(QPoint at, bool replayRunning) {
    if (replayRunning) {
        return {};
    }
    m_aimShown = true;
    if (OnIcon(at, kCurl0IconLeft)) {
        m_dragging = false;
        m_curl = 0;
        return Shown();
    }
    if (OnIcon(at, kCurl1IconLeft)) {
        m_dragging = false;
        m_curl = 1;
        return Shown();
    }
    // Anywhere else, on the sheet or beside it, aims.
    AimAt(at);
    m_dragging = true;
    return Shown();
}

ManualShotEntry::Outcome ManualShotEntry::PointerMove(QPoint at, bool replayRunning) {
    if (replayRunning || !m_dragging) {
        return {};
    }
    AimAt(at);
    m_aimShown = true;
    return Shown();
}

ManualShotEntry::Outcome ManualShotEntry::LeftRelease(QPoint at, bool replayRunning) {
    if (replayRunning || !m_dragging) {
        return {};
    }
    m_dragging = false;
    AimAt(at);
    m_aimShown = true;
    return Shown();
}

ManualShotEntry::Outcome ManualShotEntry::RightPress() {
    m_dragging = false;
    if (m_aimShown) {
        m_aimShown = false;
        Outcome hidden;
        hidden.kind = Outcome::Kind::MarkerHidden;
        return hidden;
    }
    m_aimShown = true;
    return Shown();
}

void ManualShotEntry::AimAt(QPoint at) {
    // Clamped as signed numbers: while the button is held, the window also
    // sees the pointer beyond its left and top edges, at negative positions,
    // and the aim then stops at the nearest edge of the sheet.
    m_aimX = static_cast<std::uint16_t>(std::clamp(at.x(), kAimMinX, kAimMaxX));
    m_aimY = static_cast<std::uint16_t>(std::clamp(at.y(), kAimMinY, kAimMaxY));
}

ManualShotEntry::Outcome ManualShotEntry::Shown() const {
    Outcome shown;
    shown.kind = Outcome::Kind::MarkerShown;
    shown.commandText = FormatCommand(m_aimX, m_aimY, m_curl);
    shown.markerX = m_aimX - RinkGeometry::kViewAOrigin.x();
    shown.markerY = m_aimY - RinkGeometry::kViewAOrigin.y();
    return shown;
}

std::string ManualShotEntry::FormatCommand(int clientX, int clientY, int curl) {
    const QPointF sheet = RinkGeometry::ClientToSheet(clientX, clientY);
    std::string command = "BESTSHOT ";
    AppendFixed3(command, sheet.x());
    command += ' ';
    AppendFixed3(command, sheet.y());
    command += ' ';
    AppendInteger(command, curl);
    return command;
}

} // namespace skerrow
