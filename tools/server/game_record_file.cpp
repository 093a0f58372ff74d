#include "game_record_file.h"

#include <QDir>

namespace skerrow {

namespace {

constexpr std::size_t kMaxNameInFileName = 32;

std::string SafeName(std::string_view name) {
    std::string safe(name.substr(0, kMaxNameInFileName));
    for (char& c : safe) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!plain) {
            c = '_';
        }
    }
    return safe.empty() ? std::string("_") : safe;
}

} // namespace

QString GameRecordFile::FileName(int game, std::string_view red, std::string_view yellow) {
    return QStringLiteral("game-%1-%2-%3.jsonl")
        .arg(game)
        .arg(QString::fromStdString(SafeName(red)), QString::fromStdString(SafeName(yellow)));
}

bool GameRecordFile::Open(const QString& folder, int game, std::string_view red,
                          std::string_view yellow) {
    m_file.close();
    m_file.setFileName(QDir(folder).filePath(FileName(game, red, yellow)));
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool GameRecordFile::WriteLine(std::string_view line) {
    if (!m_file.isOpen()) {
        return false;
    }
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append('\n');
    return m_file.write(bytes) == bytes.size() && m_file.flush();
}

} // namespace skerrow
