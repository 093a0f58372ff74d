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

private:
    QString m_file;
};

} // namespace skerrow
