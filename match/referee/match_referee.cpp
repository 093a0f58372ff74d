#include "match_referee.h"

#include "delivery_seed.h"
#include "match_numbers.h"
#include "message_framing.h"
#include "protocol_messages.h"
#include "protocol_words.h"

#include <utility>

namespace skerrow {

namespace {

// A delivery that does not reach play: the stone stays at the delivery point
// and the library drops it when the next shot starts. Played for a side that
// answered garbage or has no time left.
constexpr ShotVec kNoDelivery{0.0f, 0.0f, 0};

const char* ColourName(int colour) {
    return colour == kRed ? "red" : "yellow";
}

std::string StonesJson(const GameState& state) {
    std::string json = "[";
    for (int i = 0; i < kStonesPerEnd; ++i) {
        if (i > 0) {
            json += ',';
        }
        json += FormatReal(state.stones[i].x) + ',' + FormatReal(state.stones[i].y);
    }
    return json + ']';
}

std::string ShotJson(ShotVec shot) {
    return JsonLine().Real("vx", shot.vx).Real("vy", shot.vy).Integer("curl", shot.curl).Text();
}

std::string IntegersJson(const std::vector<int>& values) {
    std::string json = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        json += (i > 0 ? "," : "") + std::to_string(values[i]);
    }
    return json + ']';
}

} // namespace

MatchReferee::MatchReferee(const MatchConfig& config, std::array<std::string, 2> names,
                           RefereeHost& host, const MatchClock& clock, ShotPlayer& shots)
    : m_config(config), m_names(std::move(names)), m_host(host), m_clock(clock), m_shots(shots) {}

std::int64_t MatchReferee::Now() const {
    return m_clock.NowMs();
}

void MatchReferee::Start() {
    StartGame();
}

void MatchReferee::StartGame() {
    m_redSeat = m_gameIndex % 2;
    m_state = EmptySheet(m_config.ends);
    m_firstColour = kRed;
    m_redScores.clear();
    m_remainingMs = m_config.stoneMs > 0
                        ? std::array<std::int64_t, 2>{m_config.stoneMs, m_config.stoneMs}
                        : std::array<std::int64_t, 2>{m_config.thinkingMs, m_config.thinkingMs};
    m_outOfTime = {false, false};
    m_ready = {false, false};
    for (UnaskedMessages& unasked : m_unasked) {
        unasked.Reset();
    }
    m_gameStartMs = Now();

    const std::string& red = NameOf(kRed);
    const std::string& yellow = NameOf(kYellow);
    m_host.BeginRecord(m_gameIndex + 1, red, yellow);
    JsonLine newGame = Event("newgame")
                           .Integer("game", m_gameIndex + 1)
                           .String("red", red)
                           .String("yellow", yellow)
                           .Integer("ends", m_config.ends)
                           .Real("random", m_config.randomSize)
                           .Integer("thinkingMs", m_config.thinkingMs)
                           .Raw("seed", std::to_string(m_config.seed));
    if (m_config.stoneMs > 0) {
        newGame.Integer("stoneMs", m_config.stoneMs);
    }
    Record(newGame);
    SendBoth(Format(NewGame{red, yellow}));
    SendBoth(Format(IsReady{}));
    m_phase = Phase::WaitingForReady;
    m_readyDeadlineMs = Now() + m_config.readyMs;
    m_host.SetAlarm(m_config.readyMs);
}

void MatchReferee::OnMessage(int seat, std::string_view message, std::int64_t receivedMs) {
    if (m_phase == Phase::Over || seat < 0 || seat > 1 || !m_connected[seat]) {
        return;
    }
    // Every player's message is judged strictly, as docs/protocol.md says.
    const ParseResult parsed = Parse(message, Reading::Strict);
    const std::string_view text = TrimEnd(message);
    const bool readyWord = std::holds_alternative<ReadyOk>(parsed);
    if (m_phase == Phase::WaitingForReady && readyWord && !m_ready[seat]) {
        m_ready[seat] = true;
        Record(Event("ready").String("side", ColourName(ColourOf(seat))));
        if (m_ready[0] && m_ready[1]) {
            m_host.SetAlarm(std::nullopt);
            m_phase = Phase::Playing;
            PlayOn();
        }
        return;
    }
    // A READYOK that comes late, or an empty message, is no answer; nor is
    // a message that arrived before the side was asked.
    if (m_phase == Phase::WaitingForAnswer && seat == SeatOf(m_toDeliver) && !text.empty() &&
        !readyWord && receivedMs >= m_askedAtMs) {
        const BestShot* delivery = std::get_if<BestShot>(&parsed);
        TakeAnswer(text, delivery ? std::optional(delivery->shot) : std::nullopt, receivedMs);
        return;
    }
    Ignore(seat, text);
}

void MatchReferee::OnDropped(int seat, std::size_t count) {
    for (std::size_t i = 0; i < count && m_phase != Phase::Over; ++i) {
        if (seat < 0 || seat > 1 || !m_connected[seat]) {
            return;
        }
        Ignore(seat, std::nullopt);
    }
}

void MatchReferee::Ignore(int seat, std::optional<std::string_view> text) {
    // An over-long message counts as long as the framer's cap, the least it
    // can have been.
    const UnaskedMessages::Verdict verdict =
        m_unasked[seat].Add(text ? text->size() : kDefaultMaxMessageLength);
    if (verdict == UnaskedMessages::Verdict::OverLimit) {
        CutOff(seat);
        return;
    }
    if (verdict == UnaskedMessages::Verdict::Show) {
        const char* side = ColourName(ColourOf(seat));
        Record(text ? Event("ignored").String("side", side).String("text", *text)
                    : Event("overlong").String("side", side));
    }
}

void MatchReferee::CutOff(int seat) {
    m_connected[seat] = false;
    const int colour = ColourOf(seat);
    Record(Event("disconnect")
               .String("side", ColourName(colour))
               .String("reason", "flooding")
               .Integer("ignored", m_unasked[seat].count()));
    m_host.Note(m_names[seat] + " sent more than " + UnaskedMessages::LimitsText() +
                " unasked in this game; disconnected");
    m_host.Disconnect(seat);
    std::array<std::optional<std::string>, 2> forfeits;
    forfeits[colour] = NameOf(colour) + " was disconnected for flooding";
    FinishGame(forfeits);
}

void MatchReferee::OnDisconnected(int seat) {
    if (m_phase == Phase::Over || seat < 0 || seat > 1 || !m_connected[seat]) {
        return;
    }
    m_connected[seat] = false;
    const int colour = ColourOf(seat);
    Record(Event("disconnect").String("side", ColourName(colour)).String("reason", "closed"));
    m_host.Note(m_names[seat] + " disconnected");
    std::array<std::optional<std::string>, 2> forfeits;
    forfeits[colour] = NameOf(colour) + " disconnected";
    FinishGame(forfeits);
}

void MatchReferee::OnAlarm() {
    if (m_phase != Phase::WaitingForReady && m_phase != Phase::WaitingForAnswer) {
        return;
    }
    const std::int64_t now = Now();
    const std::int64_t deadline = m_phase == Phase::WaitingForReady
                                      ? m_readyDeadlineMs
                                      : m_askedAtMs + m_remainingMs[m_toDeliver];
    if (now < deadline) {
        m_host.SetAlarm(deadline - now);
        return;
    }
    if (m_phase == Phase::WaitingForAnswer) {
        m_phase = Phase::Playing;
        RunOutOfTime(now - m_askedAtMs, std::nullopt);
        return;
    }
    // A side that has not answered ISREADY in time counts as gone.
    std::array<std::optional<std::string>, 2> forfeits;
    for (int seat = 0; seat < 2; ++seat) {
        if (!m_ready[seat]) {
            const int colour = ColourOf(seat);
            Record(Event("readytimeout").String("side", ColourName(colour)));
            m_host.Note(m_names[seat] + " did not answer ISREADY in time");
            forfeits[colour] = NameOf(colour) + " did not answer ISREADY in time";
        }
    }
    FinishGame(forfeits);
}

void MatchReferee::PlayOn() {
    while (m_phase == Phase::Playing) {
        if (m_state.currentEnd >= m_config.ends) {
            // The position after the last end (an empty sheet, the end count
            // at the number of ends), so that a client's score board fills in
            // the last end too before the game is over.
            SendBoth(Format(PositionOf(m_state)));
            SendBoth(Format(SetState{0, m_state.currentEnd, m_config.ends, m_firstColour}));
            FinishGame({});
            return;
        }
        const int colour = ColourToDeliver(m_firstColour, m_state.shotNumber);
        m_state.turnFlag = colour;
        SendBoth(Format(PositionOf(m_state)));
        SendBoth(Format(SetState{m_state.shotNumber, m_state.currentEnd, m_config.ends, colour}));
        Record(Event("position")
                   .Integer("end", m_state.currentEnd)
                   .Integer("shot", m_state.shotNumber)
                   .String("turn", ColourName(colour))
                   .Raw("stones", StonesJson(m_state)));
        if (m_outOfTime[colour]) {
            PlayStone(colour, std::nullopt, "out of time");
            continue;
        }
        if (m_config.stoneMs > 0) {
            m_remainingMs = {m_config.stoneMs, m_config.stoneMs};
            m_outOfTime = {false, false};
        }
        m_toDeliver = colour;
        m_askedAtMs = Now();
        m_phase = Phase::WaitingForAnswer;
        m_host.SendTo(SeatOf(colour), Format(Go{m_remainingMs[kRed], m_remainingMs[kYellow]}));
        Record(Event("go")
                   .String("side", ColourName(colour))
                   .Integer("redMs", m_remainingMs[kRed])
                   .Integer("yellowMs", m_remainingMs[kYellow]));
        m_host.SetAlarm(m_remainingMs[colour]);
    }
}

void MatchReferee::TakeAnswer(std::string_view text, std::optional<ShotVec> shot,
                              std::int64_t receivedMs) {
    const int colour = m_toDeliver;
    const std::int64_t used = receivedMs - m_askedAtMs;
    m_host.SetAlarm(std::nullopt);
    m_phase = Phase::Playing;
    // An answer counts only when it arrives before the side's clock reaches 0.
    if (used >= m_remainingMs[colour]) {
        RunOutOfTime(used, text);
        return;
    }
    m_remainingMs[colour] -= used;
    Record(Event("answer")
               .String("side", ColourName(colour))
               .String("text", text)
               .Integer("thinkingMs", used)
               .Integer("remainingMs", m_remainingMs[colour])
               .Boolean("valid", shot.has_value()));
    if (shot) {
        PlayStone(colour, shot, "answer");
    } else {
        m_host.Note(NameOf(colour) + " sent no valid delivery: \"" + std::string(text) +
                    "\"; its stone does not reach play");
        PlayStone(colour, std::nullopt, "garbage");
    }
    PlayOn();
}

void MatchReferee::RunOutOfTime(std::int64_t thinkingMs,
                                std::optional<std::string_view> lateAnswer) {
    const int colour = m_toDeliver;
    m_remainingMs[colour] = 0;
    m_outOfTime[colour] = true;
    JsonLine line =
        Event("timeout").String("side", ColourName(colour)).Integer("thinkingMs", thinkingMs);
    if (lateAnswer) {
        line.String("text", *lateAnswer);
    }
    Record(line);
    m_host.Note(NameOf(colour) + " ran out of time; its stones no longer reach play");
    PlayStone(colour, std::nullopt, "timeout");
    PlayOn();
}

void MatchReferee::PlayStone(int colour, std::optional<ShotVec> asked, std::string_view reason) {
    const int end = m_state.currentEnd;
    const int shot = m_state.shotNumber;
    const ShotVec requested = asked.value_or(kNoDelivery);
    const float randomSize = asked ? m_config.randomSize : 0.0f;
    ShotVec played = requested;
    const std::uint64_t seed = DeliverySeed(m_config.seed, m_gameIndex + 1, end, shot);
    const GameState before = m_state;
    if (!m_shots.Play(m_state, requested, randomSize, seed, played)) {
        // Not expected for a checked delivery; the game goes on without it.
        m_state = before;
        played = kNoDelivery;
        m_shots.Play(m_state, kNoDelivery, 0.0f, seed, played);
    }
    SendBoth(Format(RunShot{played}));
    Record(Event("shot")
               .String("side", ColourName(colour))
               .Integer("end", end)
               .Integer("shot", shot)
               .String("reason", reason)
               .Raw("asked", asked ? ShotJson(*asked) : "null")
               .Raw("played", ShotJson(played))
               .Raw("stones", StonesJson(m_state)));
    if (m_state.currentEnd != end) {
        CloseEnd(end);
    }
}

void MatchReferee::CloseEnd(int end) {
    const int endScore = m_state.endScores[end];
    m_redScores.push_back(RedScore(m_firstColour, endScore));
    SendBoth(Format(Score{m_redScores}));
    const Points points = Tally(m_redScores);
    Record(Event("score")
               .Integer("end", end)
               .Raw("scores", IntegersJson(m_redScores))
               .Integer("red", points.red)
               .Integer("yellow", points.yellow));
    m_firstColour = FirstToDeliverNext(m_firstColour, endScore);
    ClearSheet(m_state);
}

void MatchReferee::FinishGame(const std::array<std::optional<std::string>, 2>& forfeits) {
    m_host.SetAlarm(std::nullopt);
    GameResult result;
    result.game = m_gameIndex + 1;
    result.names = {NameOf(kRed), NameOf(kYellow)};
    const Points points = Tally(m_redScores);
    result.points = {points.red, points.yellow};
    result.forfeited = {forfeits[kRed].has_value(), forfeits[kYellow].has_value()};
    std::string outcome;
    if (result.forfeited[kRed] || result.forfeited[kYellow]) {
        for (const std::optional<std::string>& reason : forfeits) {
            if (reason) {
                outcome += *reason + "; ";
            }
        }
        if (result.forfeited[kRed] && result.forfeited[kYellow]) {
            outcome += "no winner";
        } else {
            result.winner = result.forfeited[kRed] ? kYellow : kRed;
            outcome += result.names[*result.winner] + " wins by forfeit";
        }
    } else if (result.points[kRed] == result.points[kYellow]) {
        outcome = "draw";
    } else {
        result.winner = result.points[kRed] > result.points[kYellow] ? kRed : kYellow;
        outcome = result.names[*result.winner] + " wins";
    }
    result.line = "Game " + std::to_string(result.game) + ": " + result.names[kRed] + " " +
                  std::to_string(result.points[kRed]) + " - " +
                  std::to_string(result.points[kYellow]) + " " + result.names[kYellow] + " (" +
                  outcome + ")";

    for (int seat = 0; seat < 2; ++seat) {
        if (m_connected[seat]) {
            m_host.SendTo(seat, Format(GameOver{}));
        }
    }
    JsonLine line = Event("gameover")
                        .Integer("red", result.points[kRed])
                        .Integer("yellow", result.points[kYellow]);
    if (result.winner) {
        line.String("winner", ColourName(*result.winner));
    } else {
        line.Null("winner");
    }
    Record(line.Boolean("redForfeited", result.forfeited[kRed])
               .Boolean("yellowForfeited", result.forfeited[kYellow])
               .Integer("redMs", m_remainingMs[kRed])
               .Integer("yellowMs", m_remainingMs[kYellow])
               .String("result", result.line)
               .Integer("redIgnored", m_unasked[SeatOf(kRed)].count())
               .Integer("yellowIgnored", m_unasked[SeatOf(kYellow)].count()));
    m_host.EndRecord();
    for (int seat = 0; seat < 2; ++seat) {
        if (m_unasked[seat].hidden() > 0) {
            m_host.Note(m_names[seat] + " sent " + std::to_string(m_unasked[seat].count()) +
                        " unasked messages in game " + std::to_string(result.game) +
                        "; the first " + std::to_string(UnaskedMessages::kShown) +
                        " are in the record");
        }
    }
    m_host.Announce(result.line);

    for (int colour : {kRed, kYellow}) {
        m_points[SeatOf(colour)] += result.points[colour];
    }
    if (result.winner) {
        ++m_wins[SeatOf(*result.winner)];
    } else if (!result.forfeited[kRed]) {
        ++m_drawn;
    }
    const bool forfeited = result.forfeited[kRed] || result.forfeited[kYellow];
    m_results.push_back(std::move(result));
    if (forfeited || m_gameIndex + 1 >= m_config.games) {
        FinishMatch();
    } else {
        ++m_gameIndex;
        StartGame();
    }
}

void MatchReferee::FinishMatch() {
    m_phase = Phase::Over;
    const std::size_t played = m_results.size();
    std::string line =
        "Match over after " + std::to_string(played) + (played == 1 ? " game: " : " games: ") +
        m_names[0] + " " + std::to_string(m_wins[0]) + " - " + std::to_string(m_wins[1]) + " " +
        m_names[1] + " in games won, " + std::to_string(m_drawn) + " drawn, points " +
        std::to_string(m_points[0]) + " - " + std::to_string(m_points[1]) + "; ";
    if (m_wins[0] == m_wins[1]) {
        line += "the match is drawn";
    } else {
        line += m_names[m_wins[0] > m_wins[1] ? 0 : 1] + " wins the match";
    }
    m_host.Announce(line);
    m_host.MatchOver();
}

void MatchReferee::SendBoth(std::string_view text) {
    for (int seat = 0; seat < 2; ++seat) {
        if (m_connected[seat]) {
            m_host.SendTo(seat, text);
        }
    }
}

JsonLine MatchReferee::Event(std::string_view name) const {
    JsonLine line;
    line.Integer("t", Now() - m_gameStartMs).String("event", name);
    return line;
}

void MatchReferee::Record(const JsonLine& line) {
    m_host.WriteRecord(line.Text());
}

} // namespace skerrow
