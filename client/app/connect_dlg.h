#pragma once

#include "connection_settings.h"
#include "settings_file.h"
#include "user_prompts.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QPushButton;
class QShowEvent;

namespace skerrow {

class TypingLimitValidator;

// The connection dialog: server address and port, login ID, password and
// display name. It fills the fields from the settings file when it opens,
// checks the entries on "接続", remembers all but the password in the file
// and hands the checked settings on. Run it modally; its result needs no
// attention, connectRequested says everything.
//
// The close box and Esc cancel: nothing is stored, saved or started, and the
// current link, if any, goes on as it was. A refused entry or a "No" to the
// engine question keeps the dialog open.
//
// Child object names, for whoever drives the dialog without a user: the
// edits "address", "port", "id", "password", "displayName", the button
// "connectButton".
class CConnectDlg final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CConnectDlg)

public:
    // Title of the question asked when no thinking engine runs.
    static constexpr char kNoEngineTitle[] = "接続確認";
    static constexpr char kNoEngineQuestion[] =
        "思考エンジンが選択されていません\nこのまま接続してもよろしいですか？";

    // Typing limits of the edits, in characters. Texts read from the
    // settings file are shown whole even when longer.
    static constexpr int kAddressLimit = 15;
    static constexpr int kPortLimit = 8;
    static constexpr int kIdLimit = 16;
    static constexpr int kPasswordLimit = 8;
    static constexpr int kDisplayNameLimit = 16;

    // `prompts` (not owned) shows the input errors and the engine question
    // and must outlive the dialog. `engineRunning` tells whether a thinking
    // engine runs at the moment of confirming; empty means none ever does.
    // The settings file is the INI file at `settingsPath`.
    CConnectDlg(UserPrompts& prompts, std::function<bool()> engineRunning,
                const QString& settingsPath = QString::fromLatin1(kDefaultSettingsPath),
                QWidget* parent = nullptr);
    ~CConnectDlg() override;

    // The settings of the last confirm that passed every check.
    const ConnectionSettings& settings() const { return m_settings; }

public Q_SLOTS:
    // The "接続" button (also Enter): checks the entries in order and shows
    // the message of the first refused one; when all pass, writes the
    // settings file (a failure to write is not reported), asks whether to go
    // on without an engine when none runs, emits connectRequested and
    // accepts.
    void Confirm();

Q_SIGNALS:
    // The entries passed every check and the user wants to connect with
    // them; emitted just before the dialog closes with Accepted.
    void connectRequested(const skerrow::ConnectionSettings& settings);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Fills address, port, ID and display name from the settings file and
    // empties the password.
    void LoadFields();

    UserPrompts& m_prompts;
    std::function<bool()> m_engineRunning;
    QString m_settingsPath;
    ConnectionSettings m_settings;

    QLineEdit* m_address;
    QLineEdit* m_port;
    QLineEdit* m_id;
    QLineEdit* m_password;
    QLineEdit* m_displayName;
    QPushButton* m_connect;
    TypingLimitValidator* m_addressLimit;
    TypingLimitValidator* m_portLimit;
    TypingLimitValidator* m_idLimit;
    TypingLimitValidator* m_displayNameLimit;
};

} // namespace skerrow
