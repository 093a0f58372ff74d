#include "game_record_reader.h"

#include "match_numbers.h"
#include "text_lines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace skerrow {

namespace {

// A fault in the current line; caught once, where the line number is known.
struct LineFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::optional<QJsonObject> ObjectOf(std::string_view line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(line.data(), static_cast<qsizetype>(line.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

const QJsonValue& Require(const QJsonValue& value, const char* key) {
    if (value.isUndefined()) {
        throw LineFault(std::string("\"") + key + "\" is missing");
    }
    return value;
}

int IntegerField(const QJsonObject& object, const char* key, int low, int high) {
    const QJsonValue value = Require(object.value(QLatin1StringView(key)), key);
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || number != std::floor(number) || number < low || number > high) {
        throw LineFault(std::string("\"") + key + "\" is no whole number from " +
                        std::to_string(low) + " to " + std::to_string(high));
    }
    return static_cast<int>(number);
}

float RealOf(const QJsonValue& value, const char* key) {
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || !std::isfinite(static_cast<float>(number))) {
        throw LineFault(std::string("\"") + key + "\" holds something that is no number");
    }
    return static_cast<float>(number);
}

std::string StringField(const QJsonObject& object, const char* key) {
    const QJsonValue value = Require(object.value(QLatin1StringView(key)), key);
    if (!value.isString()) {
        throw LineFault(std::string("\"") + key + "\" is no text");
    }
    return value.toString().toStdString();
}

int ColourField(const QJsonObject& object, const char* key) {
    const std::string colour = StringField(object, key);
    if (colour != "red" && colour != "yellow") {
        throw LineFault(std::string("\"") + key + "\" is neither \"red\" nor \"yellow\"");
    }
    return colour == "red" ? kRed : kYellow;
}

std::vector<StonePosition> StonesField(const QJsonObject& object) {
    const QJsonValue value = Require(object.value(QLatin1StringView("stones")), "stones");
    const QJsonArray numbers = value.toArray();
    if (!value.isArray() || numbers.size() != 2 * kStonesPerEnd) {
        throw LineFault("\"stones\" is no list of " + std::to_string(2 * kStonesPerEnd) +
                        " numbers");
    }
    std::vector<StonePosition> stones(kStonesPerEnd);
    for (int i = 0; i < kStonesPerEnd; ++i) {
        stones[i] = {RealOf(numbers[2 * i], "stones"), RealOf(numbers[2 * i + 1], "stones")};
    }
    return stones;
}

std::optional<ShotVec> ShotField(const QJsonObject& object, const char* key, bool nullable) {
    const QJsonValue value = Require(object.value(QLatin1StringView(key)), key);
    if (nullable && value.isNull()) {
        return std::nullopt;
    }
    if (!value.isObject()) {
        throw LineFault(std::string("\"") + key + "\" is no delivery");
    }
    const QJsonObject shot = value.toObject();
    return ShotVec{RealOf(Require(shot.value(QLatin1StringView("vx")), "vx"), "vx"),
                   RealOf(Require(shot.value(QLatin1StringView("vy")), "vy"), "vy"),
                   IntegerField(shot, "curl", 0, 1)};
}

// The history as the events of a record build it.
class RecordBuilder {
public:
    bool started() const { return m_history.has_value(); }
    GameHistory Take() { return std::move(*m_history); }

    void Event(const std::string& event, const QJsonObject& line) {
        if (event == "newgame") {
            NewGame(line);
        } else if (!started()) {
            throw LineFault("the record does not begin with a \"newgame\" line");
        } else if (event == "position") {
            Position(line);
        } else if (event == "shot") {
            Shot(line);
        } else if (event == "score") {
            Score(line);
        } else if (event == "gameover") {
            m_history->SetResult(StringField(line, "result"));
        }
    }

private:
    void NewGame(const QJsonObject& line) {
        if (started()) {
            throw LineFault("a second game begins; a record holds one game");
        }
        m_position = EmptySheet(IntegerField(line, "ends", 1, kEnds));
        m_history.emplace(m_position);
        m_history->SetNames(StringField(line, "red"), StringField(line, "yellow"));
    }

    void Position(const QJsonObject& line) {
        const int end = IntegerField(line, "end", 0, m_position.lastEnd - 1);
        const int shot = IntegerField(line, "shot", 0, kStonesPerEnd - 1);
        const std::vector<StonePosition> stones = StonesField(line);
        PlaceStones(m_position, stones);
        m_position.currentEnd = end;
        m_position.shotNumber = shot;
        m_position.turnFlag = ColourField(line, "turn");
        m_positionShown = true;
    }

    void Shot(const QJsonObject& line) {
        const int end = IntegerField(line, "end", 0, kEnds - 1);
        const int shot = IntegerField(line, "shot", 0, kStonesPerEnd - 1);
        if (!m_positionShown || end != m_position.currentEnd || shot != m_position.shotNumber) {
            throw LineFault("stone " + std::to_string(shot + 1) + " of end " +
                            std::to_string(end + 1) + " follows no position of its own");
        }
        HistoryShot played;
        played.end = end;
        played.shot = shot;
        played.colour = ColourField(line, "side");
        played.asked = ShotField(line, "asked", true);
        played.played = *ShotField(line, "played", false);
        played.before = m_position;
        const std::vector<StonePosition> stones = StonesField(line);
        played.after = PositionAfterShot(m_position, stones);
        m_position = played.after;
        m_positionShown = false;
        m_history->Append(std::move(played));
    }

    void Score(const QJsonObject& line) {
        const int end = IntegerField(line, "end", 0, kEnds - 1);
        const QJsonValue value = Require(line.value(QLatin1StringView("scores")), "scores");
        const QJsonArray scores = value.toArray();
        if (!value.isArray() || scores.size() != end + 1) {
            throw LineFault("\"scores\" is no list of one result per end so far");
        }
        std::vector<int> redScores;
        for (const QJsonValue& score : scores) {
            const double number = score.toDouble(std::nan(""));
            if (!score.isDouble() || number != std::floor(number) ||
                std::fabs(number) > kStonesPerSide) {
                throw LineFault("\"scores\" holds something that is no end's result");
            }
            redScores.push_back(static_cast<int>(number));
        }
        if (m_history->shotCount() == 0 ||
            m_history->shotAt(m_history->shotCount() - 1).end != end) {
            throw LineFault("end " + std::to_string(end + 1) + " is scored before it is played");
        }
        m_history->ScoreLastShot(redScores.back());
        ApplyEndScores(m_position, redScores);
    }

    std::optional<GameHistory> m_history;
    GameState m_position{};
    bool m_positionShown = false;
};

} // namespace

bool LooksLikeGameRecord(std::string_view text) {
    const std::optional<QJsonObject> first = ObjectOf(FirstNonBlankLine(text));
    return first && first->value(QLatin1StringView("event")).isString();
}

std::variant<GameHistory, BoardFileError> ReadGameRecord(std::string_view text,
                                                         std::string_view fileName) {
    RecordBuilder builder;
    int number = 0;
    for (std::string_view line : SplitLines(text)) {
        ++number;
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        try {
            const std::optional<QJsonObject> object = ObjectOf(line);
            if (!object) {
                throw LineFault("the line is no JSON object");
            }
            builder.Event(StringField(*object, "event"), *object);
        } catch (const LineFault& fault) {
            return BoardFileError{std::string(fileName), number, fault.what()};
        }
    }
    if (!builder.started()) {
        return BoardFileError{std::string(fileName), 0, "the file holds no game"};
    }
    return builder.Take();
}

} // namespace skerrow
