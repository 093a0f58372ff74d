#include "series_runner.h"

#include "game_runner.h"
#include "record_file_name.h"
#include "series_report.h"

#include <fstream>
#include <mutex>
#include <thread>

namespace skerrow::match_runner {

namespace {

class Series {
public:
    Series(const SeriesSetup& setup, std::FILE* progress, bool inPlace)
        : m_setup(setup), m_progress(progress), m_inPlace(inPlace),
          m_refereeLog(setup.logFolder + "/referee.log", std::ios::app) {
        for (const EngineEntry& engine : setup.options.engines) {
            m_names.push_back(engine.name);
        }
        const std::vector<ScheduledGame> all = Schedule(
            Pairings(static_cast<int>(setup.options.engines.size()), setup.options.gauntlet),
            setup.options.pairs, setup.seed, setup.options.shard);
        m_run.totalGames = static_cast<std::int64_t>(all.size());
        for (const ScheduledGame& game : all) {
            if (const auto found = setup.done.find(game.number); found != setup.done.end()) {
                m_run.outcomes.insert(*found);
            } else {
                m_pending.push_back(game);
            }
        }
        // A resumed series whose games already decide the test plays no more.
        if (!setup.options.shard && setup.options.sprt) {
            const SeriesReport report = MakeReport(m_run.outcomes, m_names, setup.options.sprt);
            if (report.sprt->decision != series::SprtDecision::Continue) {
                Stop(Decided(report), false);
            }
        }
    }

    SeriesRun Play() {
        const int workers =
            std::min<int>(m_setup.options.concurrency, static_cast<int>(m_pending.size()));
        std::vector<std::thread> threads;
        for (int i = 0; i < workers; ++i) {
            threads.emplace_back([this] { Work(); });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        if (m_inPlace && m_shown) {
            std::fputc('\n', m_progress);
        }
        return m_run;
    }

private:
    void Work() {
        while (true) {
            ScheduledGame game;
            {
                std::lock_guard lock(m_mutex);
                if (!m_run.stopped.empty() || m_next >= m_pending.size()) {
                    return;
                }
                game = m_pending[m_next++];
            }
            const SeriesOptions& options = m_setup.options;
            GameSetup setup;
            setup.engines = {&options.engines[game.red], &options.engines[game.yellow]};
            setup.config = GameConfig(options, game.seed);
            setup.logFolder = m_setup.logFolder;
            if (!m_setup.recordsFolder.empty()) {
                setup.recordPath =
                    m_setup.recordsFolder + "/" +
                    RecordFileName(game.number, setup.engines[0]->name, setup.engines[1]->name);
            }
            GamePlayed played = GameRunner(setup).Play();
            Finish(game, played);
        }
    }

    void Finish(const ScheduledGame& game, const GamePlayed& played) {
        std::lock_guard lock(m_mutex);
        for (const std::string& note : played.notes) {
            m_refereeLog << "game " << game.number << ": " << note << '\n';
        }
        m_refereeLog.flush();
        const std::optional<GameOutcome> outcome = ReadGameRecord(played.record, game.number);
        if (!outcome) {
            Stop("game " + std::to_string(game.number) + " did not end with a result", true);
            return;
        }
        m_run.outcomes[game.number] = *outcome;
        for (int colour = 0; colour < 2; ++colour) {
            const std::string& name = outcome->names[colour];
            int& streak = m_forfeitsInARow[name];
            streak = outcome->forfeited[colour] ? streak + 1 : 0;
            if (streak >= kMostForfeitsInARow) {
                Stop(name + " lost " + std::to_string(streak) +
                         " games in a row by forfeit (it crashed, did not start or flooded); "
                         "see " +
                         m_setup.logFolder + "/" + name + ".log and " + m_setup.logFolder +
                         "/referee.log",
                     true);
            }
        }
        const bool shard = m_setup.options.shard.has_value();
        const SeriesReport report =
            MakeReport(m_run.outcomes, m_names, shard ? std::nullopt : m_setup.options.sprt);
        const bool pairDone = m_run.outcomes.count(2 * game.pair + 1) > 0 &&
                              m_run.outcomes.count(2 * game.pair + 2) > 0;
        const std::string line = ProgressLine(report, m_run.totalGames);
        if (m_inPlace) {
            std::fprintf(m_progress, "\r\033[K%s", line.c_str());
            m_shown = true;
        } else if (pairDone) {
            std::fprintf(m_progress, "%s\n", line.c_str());
        }
        std::fflush(m_progress);
        if (report.sprt && report.sprt->decision != series::SprtDecision::Continue) {
            Stop(Decided(report), false);
        }
    }

    static std::string Decided(const SeriesReport& report) {
        return std::string("the SPRT accepts ") +
               (report.sprt->decision == series::SprtDecision::AcceptH0 ? "H0" : "H1");
    }

    // With the lock held.
    void Stop(const std::string& reason, bool failed) {
        if (m_run.stopped.empty()) {
            m_run.stopped = reason;
            m_run.failed = failed;
        }
    }

    const SeriesSetup& m_setup;
    std::FILE* m_progress;
    bool m_inPlace;
    std::ofstream m_refereeLog;
    std::vector<std::string> m_names;
    std::vector<ScheduledGame> m_pending;
    std::mutex m_mutex;
    std::size_t m_next = 0;
    SeriesRun m_run;
    std::map<std::string, int> m_forfeitsInARow;
    bool m_shown = false;
};

} // namespace

MatchConfig GameConfig(const SeriesOptions& options, std::uint64_t seed) {
    MatchConfig config;
    config.ends = options.ends;
    config.games = 1;
    config.randomSize = options.randomSize;
    config.thinkingMs = options.timeMs;
    config.seed = seed;
    if (options.shotMs) {
        config.stoneMs = *options.shotMs;
    }
    return config;
}

SeriesRun PlaySeries(const SeriesSetup& setup, std::FILE* progress, bool inPlace) {
    return Series(setup, progress, inPlace).Play();
}

} // namespace skerrow::match_runner
