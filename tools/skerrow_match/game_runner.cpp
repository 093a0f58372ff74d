#include "game_runner.h"

#include "message_framing.h"

#include <chrono>
#include <utility>

namespace skerrow::match_runner {

namespace {

// How long a reader waits for output before it looks whether to stop, in
// milliseconds.
constexpr int kReadSliceMs = 100;
// How long an engine has to exit after its input closes at the end of the
// game, in milliseconds; then it is killed.
constexpr int kExitGraceMs = 2000;

} // namespace

GameRunner::GameRunner(const GameSetup& setup) : m_setup(setup) {}

GameRunner::~GameRunner() {
    StopEngines();
}

GamePlayed GameRunner::Play() {
    for (int seat = 0; seat < 2; ++seat) {
        StartEngine(seat);
    }
    const std::array<std::string, 2> names{m_setup.engines[0]->name, m_setup.engines[1]->name};
    MatchReferee referee(m_setup.config, names, *this, m_clock, m_shots);
    referee.Start();
    std::unique_lock lock(m_mutex);
    while (!m_over) {
        const auto hasEvent = [this] { return !m_events.empty(); };
        bool woken = true;
        if (m_alarmAtMs) {
            const std::chrono::steady_clock::time_point alarm{
                std::chrono::milliseconds(*m_alarmAtMs)};
            woken = m_wake.wait_until(lock, alarm, hasEvent);
        } else {
            m_wake.wait(lock, hasEvent);
        }
        if (woken) {
            Event event = std::move(m_events.front());
            m_events.pop_front();
            lock.unlock();
            switch (event.kind) {
            case Event::Kind::Line:
                referee.OnMessage(event.seat, event.text, event.receivedMs);
                break;
            case Event::Kind::Dropped:
                referee.OnDropped(event.seat, event.dropped);
                break;
            case Event::Kind::Ended:
                referee.OnDisconnected(event.seat);
                break;
            }
            lock.lock();
        } else if (m_alarmAtMs && NowMs() >= *m_alarmAtMs) {
            m_alarmAtMs.reset();
            lock.unlock();
            referee.OnAlarm();
            lock.lock();
        }
    }
    lock.unlock();
    StopEngines();
    return std::move(m_played);
}

void GameRunner::StartEngine(int seat) {
    const EngineEntry& engine = *m_setup.engines[seat];
    std::string error;
    m_engines[seat] =
        ChildProcess::Start(engine.command, m_setup.logFolder + "/" + engine.name + ".log", error);
    if (!m_engines[seat]) {
        Note(engine.name + " did not start: " + error);
        Event ended;
        ended.kind = Event::Kind::Ended;
        ended.seat = seat;
        Push(std::move(ended));
        return;
    }
    m_readers[seat] = std::thread([this, seat] { ReadEngine(seat); });
}

void GameRunner::ReadEngine(int seat) {
    LineFramer framer;
    char buffer[4096];
    while (true) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                return;
            }
        }
        const ChildProcess::ReadResult read =
            m_engines[seat]->Read(buffer, sizeof buffer, kReadSliceMs);
        const std::int64_t receivedMs = NowMs();
        FramedMessages framed = framer.Feed(std::string_view(buffer, read.bytes));
        if (read.ended && framer.HasPartial()) {
            // An answer without its final newline still counts.
            if (std::string last = framer.TakePartial(); !last.empty()) {
                framed.messages.push_back(std::move(last));
            }
        }
        for (std::string& line : framed.messages) {
            Push({Event::Kind::Line, seat, std::move(line), 0, receivedMs});
        }
        if (framed.dropped > 0) {
            Push({Event::Kind::Dropped, seat, {}, framed.dropped, receivedMs});
        }
        if (read.ended) {
            Push({Event::Kind::Ended, seat, {}, 0, receivedMs});
            return;
        }
    }
}

void GameRunner::Push(Event event) {
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    m_wake.notify_one();
}

void GameRunner::StopEngines() {
    for (std::unique_ptr<ChildProcess>& engine : m_engines) {
        if (engine) {
            engine->Stop(kExitGraceMs);
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    for (std::thread& reader : m_readers) {
        if (reader.joinable()) {
            reader.join();
        }
    }
}

void GameRunner::SendTo(int seat, std::string_view text) {
    if (m_engines[seat] && !m_engines[seat]->Write(std::string(text) + '\0')) {
        // The engine is gone or reads nothing: its reader reports the end.
        m_engines[seat]->Stop(0);
    }
}

void GameRunner::Disconnect(int seat) {
    if (m_engines[seat]) {
        m_engines[seat]->Stop(0);
    }
}

void GameRunner::SetAlarm(std::optional<std::int64_t> delayMs) {
    // Called from the referee, on this thread, with the lock not held.
    std::lock_guard lock(m_mutex);
    m_alarmAtMs =
        delayMs ? std::optional(NowMs() + std::max<std::int64_t>(0, *delayMs)) : std::nullopt;
}

void GameRunner::BeginRecord(int, const std::string&, const std::string&) {
    if (m_setup.recordPath.empty()) {
        return;
    }
    m_record.open(m_setup.recordPath, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!m_record) {
        Note("cannot write the record " + m_setup.recordPath);
    }
}

void GameRunner::WriteRecord(std::string_view line) {
    m_played.record.emplace_back(line);
    if (m_record.is_open()) {
        // Flushed line by line, so that a series killed mid-game leaves a
        // record that shows the game unfinished.
        m_record << line << '\n' << std::flush;
    }
}

void GameRunner::EndRecord() {
    if (m_record.is_open()) {
        m_record.close();
        if (!m_record) {
            Note("cannot write the record " + m_setup.recordPath);
        }
    }
}

void GameRunner::Note(std::string_view line) {
    m_played.notes.emplace_back(line);
}

} // namespace skerrow::match_runner
