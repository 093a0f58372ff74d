#include "protocol_messages.h"

#include "match_numbers.h"
#include "protocol_words.h"

#include <array>
#include <iterator>
#include <limits>
#include <utility>

namespace skerrow {

namespace {

// A slot that takes every word whole.
constexpr std::size_t kWhole = std::string_view::npos;
constexpr double kAnySize = std::numeric_limits<double>::infinity();

constexpr std::array<std::pair<Command, std::string_view>, 14> kCommandWords{{
    {Command::Login, "LOGIN"},
    {Command::NewGame, "NEWGAME"},
    {Command::IsReady, "ISREADY"},
    {Command::ReadyOk, "READYOK"},
    {Command::Position, "POSITION"},
    {Command::SetState, "SETSTATE"},
    {Command::Go, "GO"},
    {Command::BestShot, "BESTSHOT"},
    {Command::RunShot, "RUNSHOT"},
    {Command::Score, "SCORE"},
    {Command::GameOver, "GAMEOVER"},
    {Command::SetRand, "SETRAND"},
    {Command::SetPosition, "SETPOSITION"},
    {Command::DrawShot, "DRAWSHOT"},
}};

Command CommandNamed(std::string_view word) {
    for (const auto& [command, name] : kCommandWords) {
        if (SameWord(word, name)) {
            return command;
        }
    }
    return Command::Unknown;
}

// The arguments of one message in one reading. Each reader gives the value,
// or nothing after noting the first fault met.
class Arguments {
public:
    Arguments(std::string_view text, Reading reading)
        : m_text(reading == Reading::Strict ? TrimEnd(text) : text),
          m_strict(reading == Reading::Strict) {}

    // The message read: named by word 0.
    Command ReadCommand() {
        const std::string word = Word(0).value_or(std::string());
        m_error.command = CommandNamed(word);
        if (m_error.command == Command::Unknown) {
            Fail(ParseError::Fault::UnknownCommand, 0, word);
        }
        return m_error.command;
    }

    bool strict() const { return m_strict; }
    const ParseError& error() const { return m_error; }

    // Word `index`, cut to `slot` in the lenient reading; none when missing.
    std::optional<std::string> Word(std::size_t index, std::size_t slot = kWordSlot) const {
        return GetToken(m_text, index, m_strict ? kWhole : slot);
    }

    std::optional<std::string> Required(std::size_t index, std::size_t slot = kWordSlot) {
        std::optional<std::string> word = Word(index, slot);
        if (!word) {
            Fail(ParseError::Fault::MissingWord, index, std::string());
        }
        return word;
    }

    // A real in metres or m/s; the strict reading refuses one beyond `limit`.
    std::optional<float> Real(std::size_t index, double limit = kAnySize) {
        const std::optional<std::string> word = Required(index);
        if (!word) {
            return std::nullopt;
        }
        if (!m_strict) {
            return ReadReal(*word);
        }
        const std::optional<float> value = ReadWholeReal(*word, limit);
        if (!value) {
            Fail(ParseError::Fault::BadNumber, index, *word);
        }
        return value;
    }

    // A real that must be finite in either reading.
    std::optional<float> FiniteReal(std::size_t index) {
        const std::optional<std::string> word = Required(index);
        if (!word) {
            return std::nullopt;
        }
        const std::optional<float> value = m_strict ? ReadWholeReal(*word) : ReadFiniteReal(*word);
        if (!value) {
            Fail(ParseError::Fault::BadNumber, index, *word);
        }
        return value;
    }

    std::optional<int> Integer(std::size_t index, std::size_t slot = kWordSlot) {
        const std::optional<std::string> word = Required(index, slot);
        if (!word) {
            return std::nullopt;
        }
        if (!m_strict) {
            return ReadInteger(*word);
        }
        const std::optional<std::int32_t> value = ReadWholeInteger(*word);
        if (!value) {
            Fail(ParseError::Fault::BadNumber, index, *word);
        }
        return value;
    }

    // In the strict reading, a word after word `last` is a fault.
    bool EndsAt(std::size_t last) {
        if (m_strict) {
            if (const std::optional<std::string> extra = Word(last + 1)) {
                Fail(ParseError::Fault::ExtraWord, last + 1, *extra);
                return false;
            }
        }
        return true;
    }

private:
    void Fail(ParseError::Fault fault, std::size_t index, std::string text) {
        m_error.fault = fault;
        m_error.word = index;
        m_error.text = std::move(text);
    }

    std::string_view m_text;
    bool m_strict;
    ParseError m_error;
};

ParseResult ReadLogin(Arguments& args) {
    std::optional<std::string> id = args.Required(1, kTextSlot);
    std::optional<std::string> password = id ? args.Required(2, kTextSlot) : std::nullopt;
    if (!id || !password) {
        return args.error();
    }
    std::string name = args.Word(3, kTextSlot).value_or(*id);
    return Login{std::move(*id), std::move(*password), std::move(name)};
}

ParseResult ReadNewGame(Arguments& args) {
    if (!args.strict()) {
        return NewGame{args.Word(1, kTextSlot).value_or(std::string()),
                       args.Word(2, kTextSlot).value_or(std::string())};
    }
    std::optional<std::string> red = args.Required(1);
    std::optional<std::string> yellow = red ? args.Required(2) : std::nullopt;
    if (!red || !yellow) {
        return args.error();
    }
    return NewGame{std::move(*red), std::move(*yellow)};
}

// The pairs of numbers of POSITION or SETPOSITION, at most sixteen.
std::optional<std::vector<StonePosition>> ReadStones(Arguments& args) {
    std::vector<StonePosition> stones;
    std::size_t next = 1; // the word of the next stone's x
    while (stones.size() < static_cast<std::size_t>(kStonesPerEnd) && args.Word(next)) {
        if (!args.strict() && !args.Word(next + 1)) {
            break; // an odd last number is ignored
        }
        const std::optional<float> x = args.Real(next);
        const std::optional<float> y = x ? args.Real(next + 1) : std::nullopt;
        if (!x || !y) {
            return std::nullopt;
        }
        stones.push_back({*x, *y});
        next += 2;
    }
    if (!args.EndsAt(next - 1)) {
        return std::nullopt;
    }
    return stones;
}

ParseResult ReadSetState(Arguments& args) {
    SetState state;
    for (auto [index, field] : {std::pair{1, &state.shot}, std::pair{2, &state.end},
                                std::pair{3, &state.lastEnd}, std::pair{4, &state.turn}}) {
        const std::optional<int> value = args.Integer(static_cast<std::size_t>(index));
        if (!value) {
            return args.error();
        }
        *field = *value;
    }
    if (!args.EndsAt(4)) {
        return args.error();
    }
    return state;
}

ParseResult ReadGo(Arguments& args) {
    Go go;
    for (auto [index, field] : {std::pair{1, &go.redMs}, std::pair{2, &go.yellowMs}}) {
        const auto word = static_cast<std::size_t>(index);
        if (!args.strict() && !args.Word(word)) {
            continue; // the lenient reading leaves the clock unknown
        }
        const std::optional<int> value = args.Integer(word);
        if (!value) {
            return args.error();
        }
        *field = *value;
    }
    if (!args.EndsAt(2)) {
        return args.error();
    }
    return go;
}

// vx vy curl, or x y curl: two reals and a whole number.
std::optional<ShotVec> ReadTriple(Arguments& args, double limit) {
    const std::optional<float> first = args.Real(1, limit);
    const std::optional<float> second = first ? args.Real(2, limit) : std::nullopt;
    const std::optional<int> curl = second ? args.Integer(3) : std::nullopt;
    if (!curl || !args.EndsAt(3)) {
        return std::nullopt;
    }
    return ShotVec{*first, *second, *curl};
}

ParseResult ReadScore(Arguments& args) {
    Score score;
    for (std::size_t index = 1; index <= static_cast<std::size_t>(kEnds); ++index) {
        if (!args.Word(index, kTextSlot)) {
            break;
        }
        const std::optional<int> value = args.Integer(index, kTextSlot);
        if (!value) {
            return args.error();
        }
        score.redScores.push_back(*value);
    }
    if (!args.EndsAt(score.redScores.size())) {
        return args.error();
    }
    return score;
}

ParseResult ReadSetRand(Arguments& args) {
    const std::optional<float> size = args.FiniteReal(1);
    if (!size || !args.EndsAt(1)) {
        return args.error();
    }
    return SetRand{*size};
}

ParseResult ReadArguments(Command command, Arguments& args) {
    switch (command) {
    case Command::Login:
        return ReadLogin(args);
    case Command::NewGame:
        return ReadNewGame(args);
    case Command::IsReady:
        return IsReady{};
    case Command::ReadyOk:
        return ReadyOk{};
    case Command::GameOver:
        return GameOver{};
    case Command::Position:
    case Command::SetPosition: {
        std::optional<std::vector<StonePosition>> stones = ReadStones(args);
        if (!stones) {
            return args.error();
        }
        if (command == Command::Position) {
            return Position{std::move(*stones)};
        }
        return SetPosition{std::move(*stones)};
    }
    case Command::SetState:
        return ReadSetState(args);
    case Command::Go:
        return ReadGo(args);
    case Command::BestShot:
    case Command::RunShot:
    case Command::DrawShot: {
        const double limit = command == Command::BestShot ? kMaxDeliverySpeed : kAnySize;
        const std::optional<ShotVec> triple = ReadTriple(args, limit);
        if (!triple) {
            return args.error();
        }
        if (command == Command::BestShot) {
            return BestShot{*triple};
        }
        if (command == Command::RunShot) {
            return RunShot{*triple};
        }
        return DrawShot{{triple->vx, triple->vy, triple->curl}};
    }
    case Command::Score:
        return ReadScore(args);
    case Command::SetRand:
        return ReadSetRand(args);
    case Command::Unknown:
        break;
    }
    return args.error();
}

// " x y" for each stone.
void AppendStones(std::string& text, const std::vector<StonePosition>& stones) {
    for (const StonePosition& stone : stones) {
        text += ' ';
        text += FormatReal(stone.x);
        text += ' ';
        text += FormatReal(stone.y);
    }
}

std::string Triple(std::string_view word, float first, float second, int curl) {
    return std::string(word) + ' ' + FormatReal(first) + ' ' + FormatReal(second) + ' ' +
           std::to_string(curl);
}

template <typename... Visitors> struct Overloaded : Visitors... { using Visitors::operator()...; };
template <typename... Visitors> Overloaded(Visitors...) -> Overloaded<Visitors...>;

} // namespace

ParseResult Parse(std::string_view text, Reading reading) {
    Arguments args(text, reading);
    return ReadArguments(args.ReadCommand(), args);
}

std::string Format(const Message& message) {
    return std::visit(
        Overloaded{
            [](const Login& m) { return "LOGIN " + m.id + ' ' + m.password + ' ' + m.name; },
            [](const NewGame& m) { return "NEWGAME " + m.red + ' ' + m.yellow; },
            [](const IsReady&) { return std::string("ISREADY"); },
            [](const ReadyOk&) { return std::string("READYOK"); },
            [](const Position& m) {
                std::string text = "POSITION";
                AppendStones(text, m.stones);
                return text;
            },
            [](const SetState& m) {
                return "SETSTATE " + std::to_string(m.shot) + ' ' + std::to_string(m.end) + ' ' +
                       std::to_string(m.lastEnd) + ' ' + std::to_string(m.turn);
            },
            [](const Go& m) {
                std::string text = "GO";
                for (const std::optional<std::int64_t>& clock : {m.redMs, m.yellowMs}) {
                    if (clock) {
                        text += ' ' + std::to_string(*clock);
                    }
                }
                return text;
            },
            [](const BestShot& m) {
                return Triple(m.mixedCase ? "BestShot" : "BESTSHOT", m.shot.vx, m.shot.vy,
                              m.shot.curl);
            },
            [](const RunShot& m) { return Triple("RUNSHOT", m.shot.vx, m.shot.vy, m.shot.curl); },
            [](const Score& m) {
                std::string text = "SCORE";
                for (const int score : m.redScores) {
                    text += ' ' + std::to_string(score);
                }
                return text;
            },
            [](const GameOver&) { return std::string("GAMEOVER"); },
            [](const SetRand& m) { return "SETRAND " + FormatReal(m.size); },
            [](const SetPosition& m) {
                std::string text = "SETPOSITION";
                AppendStones(text, m.stones);
                return text;
            },
            [](const DrawShot& m) {
                return Triple("DRAWSHOT", m.target.x, m.target.y, m.target.curl);
            },
        },
        message);
}

std::optional<Message> MessageOf(const ParseResult& parsed) {
    return std::visit(Overloaded{
                          [](const ParseError&) { return std::optional<Message>(); },
                          [](const auto& message) { return std::optional<Message>(message); },
                      },
                      parsed);
}

Command CommandOf(std::string_view text) {
    return CommandNamed(GetToken(text, 0, kWhole).value_or(std::string()));
}

Command CommandOf(const ParseResult& parsed) {
    return std::visit(Overloaded{
                          [](const ParseError& error) { return error.command; },
                          [](const Login&) { return Command::Login; },
                          [](const NewGame&) { return Command::NewGame; },
                          [](const IsReady&) { return Command::IsReady; },
                          [](const ReadyOk&) { return Command::ReadyOk; },
                          [](const Position&) { return Command::Position; },
                          [](const SetState&) { return Command::SetState; },
                          [](const Go&) { return Command::Go; },
                          [](const BestShot&) { return Command::BestShot; },
                          [](const RunShot&) { return Command::RunShot; },
                          [](const Score&) { return Command::Score; },
                          [](const GameOver&) { return Command::GameOver; },
                          [](const SetRand&) { return Command::SetRand; },
                          [](const SetPosition&) { return Command::SetPosition; },
                          [](const DrawShot&) { return Command::DrawShot; },
                      },
                      parsed);
}

std::string_view CommandWord(Command command) {
    for (const auto& [known, word] : kCommandWords) {
        if (known == command) {
            return word;
        }
    }
    return {};
}

Position PositionOf(const GameState& state) {
    return Position{std::vector<StonePosition>(std::begin(state.stones), std::end(state.stones))};
}

} // namespace skerrow
