#pragma once

#include "replay_driver.h"

#include <QString>

#include <utility>

namespace skerrow {

// The user's preferences of the window, kept in an INI file: today the replay
// speed. Every call reads or writes the file, so that two windows of the
// program see each other's last choice.
class Preferences {
public:
    // `file` is the INI file; empty for this program's own settings file in
    // the user's settings folder.
    explicit Preferences(QString file = {}) : m_file(std::move(file)) {}

    // The replay speed stored; AsDrawn when none or an unknown one is.
    ReplaySpeed replaySpeed() const;
    void setReplaySpeed(ReplaySpeed speed);

    // Both views turned upside down; false when nothing is stored.
    bool flipped() const;
    void setFlipped(bool flipped);
    // The window's zoom in per cent, one of those offered; 100 when none or
    // another value is stored.
    int zoomPercent() const;
    void setZoomPercent(int percent);

private:
    QString m_file;
};

} // namespace skerrow
