#include "game_record_file.h"

#include "record_file_name.h"

#include <QDir>

namespace skerrow {

QString GameRecordFile::FileName(int game, std::string_view red, std::string_view yellow) {
    return QString::fromStdString(RecordFileName(game, red, yellow));
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
