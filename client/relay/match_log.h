#pragma once

// The log of one game: a text file below `<base>/Log` that holds every message
// the relay received from the server or passed on for the engine or the user.

#include "relay_ports.h"

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

namespace skerrow {

class MatchLog final : public MatchLogWriter {
public:
    // Returns the local wall-clock time; only the calendar fields are used.
    using Clock = std::function<std::tm()>;

    // Longest line written, newline included, in bytes: the 1024-byte line
    // buffer of earlier versions less its terminating zero, so that logs stay
    // comparable line for line.
    static constexpr std::size_t kMaxLineBytes = 1023;

    // `baseFolder` holds the folder "Log" (created on demand); `clock` gives
    // the local time that names each log (the real local time by default).
    explicit MatchLog(std::filesystem::path baseFolder = ".", Clock clock = {});
    ~MatchLog();

    MatchLog(const MatchLog&) = delete;
    MatchLog& operator=(const MatchLog&) = delete;

    bool IsOpen() const override;
    // Creates or empties "<base>/Log/<first> - <second> [YYYY-MM-DD hhmmss].log".
    // Characters of the names that would place the file elsewhere or that
    // file systems refuse become '_' in the file name only. When the open
    // fails even after creating the folder, no log is open, silently. The
    // caller writes the first line (the message that started the game).
    void Open(std::string_view firstName, std::string_view secondName) override;
    // Writes prefix, text and "\n" with one write and flushes it, so that a
    // killed program loses no line. A line longer than kMaxLineBytes has its
    // text cut; the newline is always kept. Write errors are not examined.
    void WriteLine(std::string_view prefix, std::string_view text) override;
    void Close() override;

    // The open log's file, or an empty path while none is open.
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_baseFolder;
    Clock m_clock;
    std::ofstream m_file;
    std::filesystem::path m_path;
};

} // namespace skerrow
