#include "match_log.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <system_error>
#include <utility>

namespace skerrow {

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    // std::localtime shares one buffer across the process; the re-entrant
    // forms differ by platform.
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

bool IsForbiddenInFileName(unsigned char c) {
    // Separators would leave the log folder; control characters and the
    // characters Windows refuses would make the open fail and lose the log.
    if (c < 0x20 || c == 0x7f) {
        return true;
    }
    switch (c) {
    case '/':
    case '\\':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return false;
    }
}

void AppendSafe(std::string& out, std::string_view name) {
    for (const char c : name) {
        out.push_back(IsForbiddenInFileName(static_cast<unsigned char>(c)) ? '_' : c);
    }
}

std::string LogFileName(std::string_view firstName, std::string_view secondName,
                        const std::tm& time) {
    std::string name;
    AppendSafe(name, firstName);
    name += " - ";
    AppendSafe(name, secondName);
    std::array<char, 64> stamp{};
    std::snprintf(stamp.data(), stamp.size(), " [%04d-%02d-%02d %02d%02d%02d].log",
                  time.tm_year + 1900, time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min,
                  time.tm_sec);
    name += stamp.data();
    // A name such as ".." or "." must give neither a hidden file nor one that
    // reads as a step up to the parent folder.
    for (char& c : name) {
        if (c != '.') {
            break;
        }
        c = '_';
    }
    return name;
}

std::filesystem::path PathFromBytes(const std::string& bytes) {
    // The names arrive as UTF-8; a narrow string would be read in the ANSI
    // code page on Windows.
    return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
}

} // namespace

MatchLog::MatchLog(std::filesystem::path baseFolder, Clock clock)
    : m_baseFolder(std::move(baseFolder)), m_clock(clock ? std::move(clock) : Clock(LocalNow)) {}

MatchLog::~MatchLog() = default;

bool MatchLog::IsOpen() const {
    return m_file.is_open();
}

void MatchLog::Open(std::string_view firstName, std::string_view secondName) {
    Close();
    const std::filesystem::path folder = m_baseFolder / "Log";
    std::filesystem::path file;
    try {
        file = folder / PathFromBytes(LogFileName(firstName, secondName, m_clock()));
    } catch (const std::exception&) {
        // A name the platform cannot turn into a path: the game goes on
        // without a log.
        return;
    }
    m_file.open(file, std::ios::out | std::ios::trunc);
    if (!m_file.is_open()) {
        // The folder is created only when it is found missing, once per game.
        std::error_code ignored;
        std::filesystem::create_directory(folder, ignored);
        m_file.clear();
        m_file.open(file, std::ios::out | std::ios::trunc);
    }
    if (m_file.is_open()) {
        m_path = std::move(file);
    } else {
        m_file.clear();
    }
}

void MatchLog::WriteLine(std::string_view prefix, std::string_view text) {
    if (!m_file.is_open()) {
        return;
    }
    std::string line;
    line.reserve(std::min(prefix.size() + text.size(), kMaxLineBytes - 1) + 1);
    line.append(prefix.substr(0, kMaxLineBytes - 1));
    line.append(text.substr(0, kMaxLineBytes - 1 - line.size()));
    line.push_back('\n');
    // A failed write (a full disk) must not silence the lines that follow.
    m_file.clear();
    m_file.write(line.data(), static_cast<std::streamsize>(line.size()));
    m_file.flush();
}

void MatchLog::Close() {
    if (m_file.is_open()) {
        m_file.close();
    }
    m_file.clear();
    m_path.clear();
}

} // namespace skerrow
