#include "settings_file.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace skerrow {
namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void ExpectStored(const ConnectionEntries& read, const ConnectionEntries& written,
                  const std::string& label) {
    EXPECT_EQ(read.address, written.address) << label;
    EXPECT_EQ(read.port, written.port) << label;
    EXPECT_EQ(read.id, written.id) << label;
    EXPECT_EQ(read.displayName, written.displayName) << label;
    EXPECT_EQ(read.password, "") << label;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path() const { return m_dir.filePath(QStringLiteral("Connection.ini")); }

    QTemporaryDir m_dir;
};

TEST_F(SettingsFileTest, WhatIsWrittenReadsBackWithoutThePassword) {
    const ConnectionEntries cases[] = {
        {"127.0.0.1", "10000", "player1", "secret", "Skerrow"},
        {"", "", "", "", ""},
        // Texts the INI format must quote or escape; the checks would refuse
        // them, but the file keeps them as typed.
        {"a,b", "80;90", "@start", "pw", " padded "},
        {"x=y", "\"7\"", "back\\slash", "pw", "日本語"},
    };
    for (const ConnectionEntries& entries : cases) {
        ASSERT_TRUE(WriteSettingsFile(Path(), entries)) << entries.address;
        ExpectStored(ReadSettingsFile(Path()), entries, entries.address);
    }
}

TEST_F(SettingsFileTest, ThePasswordNeverReachesTheFile) {
    ASSERT_TRUE(WriteSettingsFile(Path(), {"10.0.0.2", "12345", "player1", "Zq7xW3pk", "Skerrow"}));
    const QByteArray bytes = ReadBytes(Path());
    EXPECT_TRUE(bytes.contains("[System]"));
    EXPECT_TRUE(bytes.contains("IP=10.0.0.2"));
    EXPECT_TRUE(bytes.contains("PORT=12345"));
    EXPECT_TRUE(bytes.contains("ID=player1"));
    EXPECT_TRUE(bytes.contains("NAME=Skerrow"));
    EXPECT_FALSE(bytes.contains("Zq7xW3pk"));
}

TEST_F(SettingsFileTest, AMissingFileGivesEmptyEntriesAndIsNotCreated) {
    const ConnectionEntries entries = ReadSettingsFile(Path());
    ExpectStored(entries, {}, "missing");
    EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(SettingsFileTest, ReadsAHandWrittenFile) {
    struct Case {
        const char* label;
        QByteArray content;
        ConnectionEntries expected;
    };
    const Case cases[] = {
        {"all keys, CRLF",
         "[System]\r\nIP=1.2.3.4\r\nPORT=80\r\nID=abcd\r\nNAME=me\r\n",
         {"1.2.3.4", "80", "abcd", "", "me"}},
        {"missing keys", "[System]\nIP=1.2.3.4\n", {"1.2.3.4", "", "", "", ""}},
        {"other section only", "[Other]\nIP=1.2.3.4\n", {}},
        {"password key ignored", "[System]\nPASSWORD=abcd\nPASS=abcd\n", {}},
        {"unquoted comma", "[System]\nIP=a,b\n", {"a,b", "", "", "", ""}},
        {"not an INI file", QByteArray("\x00\x01\xff garbage", 12), {}},
        // Each text is seen only up to the bytes its field holds, never
        // splitting a character.
        {"long texts",
         "[System]\nIP=" + QByteArray(40, 'a') + "\nPORT=" + QByteArray(20, '1') + "\nNAME=ab" +
             QByteArray("日").repeated(15) + "\n",
         {std::string(31, 'a'), std::string(15, '1'), "", "",
          "ab" + QByteArray("日").repeated(9).toStdString()}},
    };
    for (const Case& c : cases) {
        WriteBytes(Path(), c.content);
        ExpectStored(ReadSettingsFile(Path()), c.expected, c.label);
    }
}

TEST_F(SettingsFileTest, WritingReplacesTheEntriesAndKeepsTheRestOfTheFile) {
    WriteBytes(Path(), "[Other]\nkey=kept\n[System]\nIP=old\nPORT=1\nID=oldid\nNAME=old\n");
    ASSERT_TRUE(WriteSettingsFile(Path(), {"new", "2", "newid", "pw", "newname"}));
    ExpectStored(ReadSettingsFile(Path()), {"new", "2", "newid", "", "newname"}, "replaced");
    const QByteArray bytes = ReadBytes(Path());
    EXPECT_TRUE(bytes.contains("[Other]"));
    EXPECT_TRUE(bytes.contains("key=kept"));
    EXPECT_FALSE(bytes.contains("old"));
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenIsReported) {
    // A folder on the way that is a plain file: the file cannot be created.
    WriteBytes(m_dir.filePath(QStringLiteral("blocker")), "not a folder");
    const QString path = m_dir.filePath(QStringLiteral("blocker/Connection.ini"));
    EXPECT_FALSE(WriteSettingsFile(path, {"1.2.3.4", "80", "abcd", "pw", "me"}));
}

} // namespace
} // namespace skerrow
