#include "match_log.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTime>

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <utility>

namespace skerrow {

namespace {

std::tm LocalNow() {
    // Qt's local time is safe to call from any thread on every platform;
    // std::localtime shares one buffer and its re-entrant forms differ.
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    std::tm local{};
    local.tm_year = date.year() - 1900;
    local.tm_mon = date.month() - 1;
    local.tm_mday = date.day();
    local.tm_hour = time.hour();
    local.tm_min = time.minute();
    local.tm_sec = time.second();
    local.tm_wday = date.dayOfWeek() % 7;
    local.tm_yday = date.dayOfYear() - 1;
    local.tm_isdst = now.isDaylightTime() ? 1 : 0;
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
    // Cut between characters: a UTF-8 continuation byte never starts the
    // part left out.
    std::size_t length = std::min(name.size(), MatchLog::kMaxNameBytesInFileName);
    while (length < name.size() && length > 0 &&
           (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
        --length;
    }
    for (const char c : name.substr(0, length)) {
        out.push_back(IsForbiddenInFileName(static_cast<unsigned char>(c)) ? '_' : c);
    }
}

// The file name for the `counter`th log of these players in this second; the
// first has no counter.
std::string LogFileName(std::string_view firstName, std::string_view secondName,
                        const std::tm& time, int counter) {
    std::string name;
    AppendSafe(name, firstName);
    name += " - ";
    AppendSafe(name, secondName);
    std::array<char, 64> stamp{};
    std::snprintf(stamp.data(), stamp.size(), " [%04d-%02d-%02d %02d%02d%02d]", time.tm_year + 1900,
                  time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    name += stamp.data();
    if (counter > 1) {
        name += " (" + std::to_string(counter) + ")";
    }
    name += ".log";
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

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string bytes = path.u8string();
    return std::string(bytes.begin(), bytes.end());
}

QString QtPath(const std::filesystem::path& path) {
    return QString::fromStdString(Utf8(path));
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
    return m_file != nullptr;
}

std::optional<std::string> MatchLog::Open(std::string_view firstName, std::string_view secondName) {
    Close();
    const std::filesystem::path folder = m_baseFolder / "Log";
    const std::tm time = m_clock();
    bool folderMade = false;
    for (int counter = 1; counter <= kMaxCounter;) {
        std::filesystem::path file;
        try {
            file = folder / PathFromBytes(LogFileName(firstName, secondName, time, counter));
        } catch (const std::exception&) {
            // A name the platform cannot turn into a path.
            return "the players' names make no file name in " + Utf8(folder);
        }
        auto log = std::make_unique<QFile>(QtPath(file));
        // Created here and now, or not at all: another client, or another
        // game in the same second, may have taken the name.
        if (log->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Text)) {
            m_file = std::move(log);
            m_path = file;
            return std::nullopt;
        }
        if (log->exists()) {
            ++counter;
            continue;
        }
        // The folder is created only when it is found missing, once per game.
        if (folderMade) {
            return "cannot create " + Utf8(file) + ": " + log->errorString().toStdString();
        }
        folderMade = true;
        QDir().mkpath(QtPath(folder));
    }
    return "every name up to \"(" + std::to_string(kMaxCounter) + ")\" is taken in " + Utf8(folder);
}

void MatchLog::WriteLine(std::string_view prefix, std::string_view text) {
    if (!m_file) {
        return;
    }
    std::string line;
    line.reserve(std::min(prefix.size() + text.size(), kMaxLineBytes - 1) + 1);
    line.append(prefix.substr(0, kMaxLineBytes - 1));
    line.append(text.substr(0, kMaxLineBytes - 1 - line.size()));
    line.push_back('\n');
    // A failed write (a full disk) must not silence the lines that follow.
    m_file->write(line.data(), static_cast<qint64>(line.size()));
    m_file->flush();
}

void MatchLog::Close() {
    m_file.reset();
    m_path.clear();
}

} // namespace skerrow
