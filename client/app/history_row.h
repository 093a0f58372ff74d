#pragma once

#include <QColor>
#include <QString>

#include <cstddef>
#include <optional>

namespace skerrow {

// One line of the history list: an end's heading, or a shot with the
// position after it.
struct HistoryRow {
    QString text;
    // The position this row shows (as the game history numbers them); none
    // for a heading, which only groups.
    std::optional<std::size_t> position;
    // The side's colour for a shot; invalid for a heading.
    QColor colour;
};

} // namespace skerrow
