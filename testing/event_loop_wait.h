#pragma once

// Waiting in tests that talk over sockets and to child processes: the event
// loop runs until the awaited thing has happened. The time limit is a safety
// net only; every wait ends on an event.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>

namespace skerrow::test {

// The safety net of WaitFor, in milliseconds.
inline constexpr int kWaitMs = 30000;

// A message as it travels on the wire: its text and one zero byte.
inline QByteArray Z(const char* text) {
    return QByteArray(text) + '\0';
}

// Runs the event loop until `done` holds; false when the safety net ran out.
template <typename Predicate> bool WaitFor(Predicate done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > kWaitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

} // namespace skerrow::test
