#pragma once

// One game's record on disk: a JSON-lines file in the records folder, written
// and flushed line by line, so that a record survives a server that is killed.

#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace skerrow {

class GameRecordFile {
public:
    GameRecordFile() = default;
    GameRecordFile(const GameRecordFile&) = delete;
    GameRecordFile& operator=(const GameRecordFile&) = delete;

    // "game-<game>-<red>-<yellow>.jsonl", each name cut to 32 bytes, with
    // every byte other than an ASCII letter, digit, '-' or '_' replaced by '_'.
    static QString FileName(int game, std::string_view red, std::string_view yellow);

    // Closes any open record and creates (or empties) the one for this game in
    // `folder`. False, with the reason in errorString(), when it cannot.
    bool Open(const QString& folder, int game, std::string_view red, std::string_view yellow);
    // Appends `line` and a newline, and flushes. False when the write failed.
    bool WriteLine(std::string_view line);
    void Close() { m_file.close(); }

    bool isOpen() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }
    QString errorString() const { return m_file.errorString(); }

private:
    QFile m_file;
};

} // namespace skerrow
