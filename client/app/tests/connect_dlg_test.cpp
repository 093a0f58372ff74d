#include "connect_dlg.h"

#include "fake_prompts.h"
#include "settings_file.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace skerrow {
namespace {

using test::FakePrompts;

constexpr const char* kAddressEmpty = "IPアドレスを入力して下さい";
constexpr const char* kPortBad = "PORT番号は、半角数字で入力して下さい";
constexpr const char* kIdBad = "IDは、半角英数字（4～16字）で入力して下さい";
constexpr const char* kPasswordEmpty = "パスワードを入力して下さい";
constexpr const char* kSameIdAndPassword = "IDとパスワードに同じものは使用できません";
constexpr const char* kNameBad = "ユーザー名は、半角英数字16字以内で入力して下さい";

// The five edits as the user fills them.
struct Typed {
    const char* address = "127.0.0.1";
    const char* port = "10000";
    const char* id = "player1";
    const char* password = "secret";
    const char* displayName = "Skerrow";
};

class ConnectDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString SettingsPath() const { return m_dir.filePath(QStringLiteral("Connection.ini")); }

    // A new dialog on the test's settings file, shown (which loads the file),
    // with its signals recorded.
    std::unique_ptr<CConnectDlg> Open() {
        auto dialog = std::make_unique<CConnectDlg>(
            prompts, [this] { return engineRunning; }, SettingsPath());
        QObject::connect(
            dialog.get(), &CConnectDlg::connectRequested,
            [this](const ConnectionSettings& settings) { requests.push_back(settings); });
        dialog->show();
        return dialog;
    }

    static QLineEdit& Edit(CConnectDlg& dialog, const char* name) {
        auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(name));
        EXPECT_NE(edit, nullptr) << name;
        return *edit;
    }

    static void Fill(CConnectDlg& dialog, const Typed& typed) {
        Edit(dialog, "address").setText(QString::fromUtf8(typed.address));
        Edit(dialog, "port").setText(QString::fromUtf8(typed.port));
        Edit(dialog, "id").setText(QString::fromUtf8(typed.id));
        Edit(dialog, "password").setText(QString::fromUtf8(typed.password));
        Edit(dialog, "displayName").setText(QString::fromUtf8(typed.displayName));
    }

    static void ClickConnect(CConnectDlg& dialog) {
        auto* button = dialog.findChild<QPushButton*>(QStringLiteral("connectButton"));
        ASSERT_NE(button, nullptr);
        button->click();
    }

    QString StoredValue(const char* key) const {
        QSettings settings(SettingsPath(), QSettings::IniFormat);
        return settings.value(QStringLiteral("System/") + QLatin1String(key)).toString();
    }

    QTemporaryDir m_dir;
    FakePrompts prompts;
    bool engineRunning = true;
    std::vector<ConnectionSettings> requests;
};

// ---- The checks, through the dialog --------------------------------------

struct CheckRow {
    const char* label;
    Typed typed;
    const char* message; // nullptr when the entries are accepted
};

// Rows show as their label in test names and failure messages.
void PrintTo(const CheckRow& row, std::ostream* os) {
    *os << row.label;
}

class ConnectDlgCheckTest : public ConnectDlgTest,
                            public ::testing::WithParamInterface<CheckRow> {};

TEST_P(ConnectDlgCheckTest, RefusesWithTheFirstFailingMessageOrConnects) {
    const CheckRow& row = GetParam();
    auto dialog = Open();
    Fill(*dialog, row.typed);
    ClickConnect(*dialog);

    if (row.message == nullptr) {
        EXPECT_TRUE(prompts.errors.empty());
        EXPECT_TRUE(prompts.questions.empty()) << "an engine runs: nothing to ask";
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(dialog->isVisible());
        return;
    }
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0].title, QStringLiteral("入力エラー"));
    EXPECT_EQ(prompts.errors[0].text, QString::fromUtf8(row.message));
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(dialog->isVisible()) << "a refused entry keeps the dialog open";
    EXPECT_FALSE(QFile::exists(SettingsPath())) << "nothing is remembered before all checks pass";
    // The texts stay as typed for another try.
    EXPECT_EQ(Edit(*dialog, "password").text(), QString::fromUtf8(row.typed.password));
}

Typed With(const char* Typed::*field, const char* text) {
    Typed typed;
    typed.*field = text;
    return typed;
}

Typed IdAndPassword(const char* id, const char* password) {
    Typed typed;
    typed.id = id;
    typed.password = password;
    return typed;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConnectDlgCheckTest,
    ::testing::Values(
        CheckRow{"valid", Typed{}, nullptr},
        CheckRow{"addressEmpty", With(&Typed::address, ""), kAddressEmpty},
        CheckRow{"port0", With(&Typed::port, "0"), kPortBad},
        CheckRow{"port65536", With(&Typed::port, "65536"), kPortBad},
        CheckRow{"port131072", With(&Typed::port, "131072"), kPortBad},
        // 70000 would wrap to 4464 and connect elsewhere: refused.
        CheckRow{"port70000", With(&Typed::port, "70000"), kPortBad},
        CheckRow{"port65535", With(&Typed::port, "65535"), nullptr},
        CheckRow{"passwordEmpty", With(&Typed::password, ""), kPasswordEmpty},
        CheckRow{"idEqualsPassword", IdAndPassword("abcd1234", "abcd1234"), kSameIdAndPassword},
        CheckRow{"idAndPasswordDifferInCase", IdAndPassword("Abcd1234", "abcd1234"), nullptr},
        CheckRow{"nameWithSpace", With(&Typed::displayName, "Sk errow"), kNameBad},
        CheckRow{"nameFullWidth", With(&Typed::displayName, "ＳＫ"), kNameBad},
        // The first failing check wins: the address before the port.
        CheckRow{"firstFailureWins", Typed{"", "0", "", "", ""}, kAddressEmpty}),
    [](const ::testing::TestParamInfo<CheckRow>& info) { return info.param.label; });

// ---- What a confirm hands on and remembers -------------------------------

TEST_F(ConnectDlgTest, HandsOnTheSettingsRemembersAllButThePasswordAndReadsThemBack) {
    {
        auto dialog = Open();
        Fill(*dialog, Typed{"server.local", "00080", "player1", "pass99", "Alice"});
        ClickConnect(*dialog);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].address, "server.local");
        EXPECT_EQ(requests[0].port, 80);
        EXPECT_EQ(requests[0].id, "player1");
        EXPECT_EQ(requests[0].password, "pass99");
        EXPECT_EQ(requests[0].displayName, "Alice");
    }
    EXPECT_EQ(StoredValue("IP"), QStringLiteral("server.local"));
    EXPECT_EQ(StoredValue("PORT"), QStringLiteral("00080")) << "the port text as typed";
    EXPECT_EQ(StoredValue("ID"), QStringLiteral("player1"));
    EXPECT_EQ(StoredValue("NAME"), QStringLiteral("Alice"));
    QFile file(SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("pass99"));

    auto reopened = Open();
    EXPECT_EQ(Edit(*reopened, "address").text(), QStringLiteral("server.local"));
    EXPECT_EQ(Edit(*reopened, "port").text(), QStringLiteral("00080"));
    EXPECT_EQ(Edit(*reopened, "id").text(), QStringLiteral("player1"));
    EXPECT_EQ(Edit(*reopened, "password").text(), QString());
    EXPECT_EQ(Edit(*reopened, "displayName").text(), QStringLiteral("Alice"));
}

TEST_F(ConnectDlgTest, ShowingTheSameDialogAgainEmptiesThePassword) {
    auto dialog = Open();
    Fill(*dialog, Typed{});
    dialog->reject();
    dialog->show();
    EXPECT_EQ(Edit(*dialog, "password").text(), QString());
    EXPECT_EQ(Edit(*dialog, "id").text(), QString()) << "the fields come from the file again";
}

TEST_F(ConnectDlgTest, AnAddressLongerThanTheTypingLimitFromTheFileIsKeptWhole) {
    ConnectionEntries stored{"abcdefghij.klmnopqrs", "10000", "player1", "", "Skerrow"};
    ASSERT_TRUE(WriteSettingsFile(SettingsPath(), stored));

    auto dialog = Open();
    EXPECT_EQ(Edit(*dialog, "address").text(), QStringLiteral("abcdefghij.klmnopqrs"));
    Edit(*dialog, "password").setText(QStringLiteral("secret"));
    ClickConnect(*dialog);

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].address, "abcdefghij.klmnopqrs");
}

TEST_F(ConnectDlgTest, AnIdTooLongToTypeFromTheFileIsRefused) {
    ConnectionEntries stored{"127.0.0.1", "10000", "abcdefghijklmnopq", "", "Skerrow"};
    ASSERT_TRUE(WriteSettingsFile(SettingsPath(), stored));

    auto dialog = Open();
    Edit(*dialog, "password").setText(QStringLiteral("secret"));
    ClickConnect(*dialog);

    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0].text, QString::fromUtf8(kIdBad));
}

// ---- The engine question --------------------------------------------------

TEST_F(ConnectDlgTest, WithoutAnEngineNoKeepsTheDialogOpenWithTheFileWritten) {
    engineRunning = false;
    prompts.answerYes = false;
    auto dialog = Open();
    Fill(*dialog, Typed{});
    ClickConnect(*dialog);

    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].title, QStringLiteral("接続確認"));
    EXPECT_EQ(
        prompts.questions[0].text,
        QStringLiteral("思考エンジンが選択されていません\nこのまま接続してもよろしいですか？"));
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(StoredValue("ID"), QStringLiteral("player1")) << "written before the question";
}

TEST_F(ConnectDlgTest, WithoutAnEngineYesConnects) {
    engineRunning = false;
    prompts.answerYes = true;
    auto dialog = Open();
    Fill(*dialog, Typed{});
    ClickConnect(*dialog);

    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

// ---- Keys and opening -----------------------------------------------------

TEST_F(ConnectDlgTest, EnterInAnEditConfirms) {
    auto dialog = Open();
    Fill(*dialog, Typed{});
    QTest::keyClick(&Edit(*dialog, "displayName"), Qt::Key_Return);
    EXPECT_EQ(requests.size(), 1u);
}

TEST_F(ConnectDlgTest, EscapeCancelsWithoutRememberingAnything) {
    auto dialog = Open();
    Fill(*dialog, Typed{});
    QTest::keyClick(&Edit(*dialog, "address"), Qt::Key_Escape);

    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(requests.empty());
    EXPECT_FALSE(QFile::exists(SettingsPath()));
}

} // namespace
} // namespace skerrow
