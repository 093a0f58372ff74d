#include "position_file.h"

#include "game_rules.h"
#include "match_numbers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cmath>
#include <optional>

namespace skerrow {

namespace {

constexpr std::string_view kFormatName = "skerrow position";
constexpr int kVersion = 1;
// Coordinates beyond this (in metres) are no stone on or near a sheet.
constexpr double kMaxCoordinate = 1000.0;

std::string ShortestReal(float value) {
    char buffer[32];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

std::optional<QJsonObject> DocumentObject(std::string_view text, int& errorLine) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        errorLine = 1 + static_cast<int>(bytes.left(error.offset).count('\n'));
        return std::nullopt;
    }
    if (!document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

// Reads the fields one by one and remembers the first fault.
class FieldReader {
public:
    explicit FieldReader(const QJsonObject& object) : m_object(object) {}

    const std::optional<std::string>& fault() const { return m_fault; }

    int Integer(const char* key, int low, int high) {
        return IntegerOf(m_object.value(QLatin1StringView(key)), key, low, high);
    }

    int IntegerOf(const QJsonValue& value, const char* key, int low, int high) {
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || number != std::floor(number) || number < low || number > high) {
            Fail(std::string("\"") + key + "\" must be a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high));
            return low;
        }
        return static_cast<int>(number);
    }

    QJsonArray Array(const char* key, int size) {
        const QJsonValue value = m_object.value(QLatin1StringView(key));
        if (!value.isArray() || value.toArray().size() != size) {
            Fail(std::string("\"") + key + "\" must be a list of " + std::to_string(size) +
                 " entries");
            return {};
        }
        return value.toArray();
    }

    StonePosition Stone(const QJsonValue& value, int index) {
        if (value.isNull()) {
            return {0.0f, 0.0f};
        }
        const QJsonArray pair = value.toArray();
        const std::string what = "stone " + std::to_string(index) + " must be null or [x, y]";
        if (!value.isArray() || pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble()) {
            Fail(what + " in metres");
            return {};
        }
        const double x = pair[0].toDouble();
        const double y = pair[1].toDouble();
        if (std::fabs(x) > kMaxCoordinate || std::fabs(y) > kMaxCoordinate) {
            Fail(what + " within " + ShortestReal(static_cast<float>(kMaxCoordinate)) +
                 " metres of the sheet's corner");
            return {};
        }
        return {static_cast<float>(x), static_cast<float>(y)};
    }

    void Fail(std::string what) {
        if (!m_fault) {
            m_fault = std::move(what);
        }
    }

private:
    const QJsonObject& m_object;
    std::optional<std::string> m_fault;
};

} // namespace

std::string SavePosition(const GameState& position) {
    std::string text = "{\n";
    text += "  \"format\": \"" + std::string(kFormatName) + "\",\n";
    text += "  \"version\": " + std::to_string(kVersion) + ",\n";
    text += "  \"ends\": " + std::to_string(position.lastEnd) + ",\n";
    text += "  \"end\": " + std::to_string(position.currentEnd) + ",\n";
    text += "  \"shot\": " + std::to_string(position.shotNumber) + ",\n";
    text +=
        std::string("  \"turn\": \"") + (position.turnFlag == kRed ? "red" : "yellow") + "\",\n";
    text += "  \"scores\": [";
    for (int end = 0; end < kEnds; ++end) {
        text += (end > 0 ? ", " : "") + std::to_string(position.endScores[end]);
    }
    text += "],\n  \"stones\": [\n";
    for (int i = 0; i < kStonesPerEnd; ++i) {
        const StonePosition stone = position.stones[i];
        text += "    ";
        text += HoldsStone(stone) ? "[" + ShortestReal(stone.x) + ", " + ShortestReal(stone.y) + "]"
                                  : std::string("null");
        text += i + 1 < kStonesPerEnd ? ",\n" : "\n";
    }
    text += "  ]\n}\n";
    return text;
}

bool BeginsAsJsonObject(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '{';
}

std::variant<GameState, BoardFileError> OpenPosition(std::string_view text,
                                                     std::string_view fileName) {
    int errorLine = 0;
    const std::optional<QJsonObject> object = DocumentObject(text, errorLine);
    if (!object) {
        return BoardFileError{std::string(fileName), errorLine,
                              errorLine > 0 ? "the text is no valid JSON"
                                            : "the file holds no JSON object"};
    }
    if (object->value(QLatin1StringView("format")).toString().toStdString() != kFormatName) {
        return BoardFileError{std::string(fileName), 0,
                              "\"format\" is not \"" + std::string(kFormatName) + "\""};
    }
    FieldReader read(*object);
    if (read.Integer("version", kVersion, kVersion) != kVersion || read.fault()) {
        return BoardFileError{std::string(fileName), 0,
                              "the file is of a version this program does not read"};
    }
    GameState position = EmptySheet();
    position.lastEnd = read.Integer("ends", 1, kEnds);
    // After the last end the position counts one end more than there are.
    position.currentEnd = read.Integer("end", 0, kEnds);
    position.shotNumber = read.Integer("shot", 0, kStonesPerEnd);
    const QString turn = object->value(QLatin1StringView("turn")).toString();
    if (turn != QLatin1StringView("red") && turn != QLatin1StringView("yellow")) {
        read.Fail("\"turn\" must be \"red\" or \"yellow\"");
    }
    position.turnFlag = turn == QLatin1StringView("red") ? kRed : kYellow;
    const QJsonArray scores = read.Array("scores", kEnds);
    for (int end = 0; end < static_cast<int>(scores.size()); ++end) {
        position.endScores[end] =
            read.IntegerOf(scores[end], "scores", -kStonesPerSide, kStonesPerSide);
    }
    const QJsonArray stones = read.Array("stones", kStonesPerEnd);
    for (int i = 0; i < static_cast<int>(stones.size()); ++i) {
        position.stones[i] = read.Stone(stones[i], i);
    }
    if (read.fault()) {
        return BoardFileError{std::string(fileName), 0, *read.fault()};
    }
    return position;
}

} // namespace skerrow
