#include "board_file.h"

#include "game_record_reader.h"
#include "match_log_reader.h"
#include "position_file.h"

#include <string>
#include <utility>

namespace skerrow {

namespace {

std::variant<OpenedBoardFile, BoardFileError>
Opened(OpenedBoardFile::Kind kind, std::variant<GameHistory, BoardFileError> read) {
    if (auto* error = std::get_if<BoardFileError>(&read)) {
        return std::move(*error);
    }
    return OpenedBoardFile{kind, std::move(std::get<GameHistory>(read))};
}

} // namespace

std::variant<OpenedBoardFile, BoardFileError>
OpenBoardFile(std::string_view text, std::string_view fileName, const BoardPhysics& physics) {
    // A record's first line is a whole JSON object with an "event"; a
    // position file's is "{" alone.
    if (LooksLikeGameRecord(text)) {
        return Opened(OpenedBoardFile::Kind::GameRecord, ReadGameRecord(text, fileName));
    }
    if (LooksLikeMatchLog(text)) {
        return Opened(OpenedBoardFile::Kind::MatchLog, ReadMatchLog(text, fileName, physics));
    }
    if (BeginsAsJsonObject(text)) {
        std::variant<GameState, BoardFileError> position = OpenPosition(text, fileName);
        if (auto* error = std::get_if<BoardFileError>(&position)) {
            return std::move(*error);
        }
        return OpenedBoardFile{OpenedBoardFile::Kind::Position,
                               GameHistory(std::get<GameState>(position))};
    }
    return BoardFileError{std::string(fileName), 0,
                          "the file is no position file, game record or match log"};
}

} // namespace skerrow
