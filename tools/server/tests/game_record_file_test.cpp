// The record files' names.
#include "game_record_file.h"

#include <gtest/gtest.h>

using namespace skerrow;

namespace {

TEST(RecordFiles, NamesKeepOnlyPlainCharacters) {
    EXPECT_EQ(GameRecordFile::FileName(1, "Alice", "Bob"), "game-1-Alice-Bob.jsonl");
    EXPECT_EQ(GameRecordFile::FileName(12, "../etc/x y", "\xE5\xA4\xAA-b_c"),
              "game-12-___etc_x_y-___-b_c.jsonl");
    EXPECT_EQ(GameRecordFile::FileName(2, "", std::string(40, 'z')),
              QString("game-2-_-") + QString(32, 'z') + ".jsonl");
}

} // namespace
