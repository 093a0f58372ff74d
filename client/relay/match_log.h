#pragma once

// The log of one game: a text file below `<base>/Log` that holds every message
// the relay received from the server or passed on for the engine or the user.

#include "relay_ports.h"

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QFile;

namespace skerrow {

class MatchLog final : public MatchLogWriter {
public:
    // Returns the local wall-clock time; only the calendar fields are used.
    using Clock = std::function<std::tm()>;

    // Longest line written, newline included, in bytes: the 1024-byte line
    // buffer of earlier versions less its terminating zero, so that logs stay
    // comparable line for line.
    static constexpr std::size_t kMaxLineBytes = 1023;

    // Longest part of each player's name in the file name, in bytes (cut
    // between characters). The server refuses longer names, so real names
    // are never cut; with the rest of the name (27 bytes) and a counter, the
    // file name stays far below the 255 bytes file systems allow, and a whole
    // path below Windows' 260 characters unless the folder is deep.
    static constexpr std::size_t kMaxNameBytesInFileName = 64;

    // Highest counter tried when a log of the same name exists.
    static constexpr int kMaxCounter = 999;

    // `baseFolder` holds the folder "Log" (created on demand); `clock` gives
    // the local time that names each log (the real local time by default).
    explicit MatchLog(std::filesystem::path baseFolder = ".", Clock clock = {});
    ~MatchLog();

    MatchLog(const MatchLog&) = delete;
    MatchLog& operator=(const MatchLog&) = delete;

    bool IsOpen() const override;
    // Creates "<base>/Log/<first> - <second> [YYYY-MM-DD hhmmss].log". An
    // existing file is never replaced: while that name is taken, " (2)",
    // " (3)", ... goes before ".log". In the file name only, each name is
    // cut to kMaxNameBytesInFileName bytes, and characters that would place
    // the file elsewhere or that file systems refuse become '_'. Returns why
    // no log could be opened, or nothing on success. The caller writes the
    // first line (the message that started the game).
    std::optional<std::string> Open(std::string_view firstName,
                                    std::string_view secondName) override;
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
    std::unique_ptr<QFile> m_file; // null while no log is open
    std::filesystem::path m_path;
};

} // namespace skerrow
