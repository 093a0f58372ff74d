#include "connect_dlg.h"

#include "typing_limit_validator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QShowEvent>

#include <optional>
#include <string>
#include <utility>

namespace skerrow {

namespace {

// The dialog is laid out in dialog units, at 1.75 pixels across and 1.5
// down; each edge is rounded on its own, so that neighbours stay flush.
int UnitsToPixelsX(int units) {
    return qRound(units * 1.75);
}

int UnitsToPixelsY(int units) {
    return qRound(units * 1.5);
}

QRect UnitsToPixels(int x, int y, int width, int height) {
    const int left = UnitsToPixelsX(x);
    const int top = UnitsToPixelsY(y);
    return {left, top, UnitsToPixelsX(x + width) - left, UnitsToPixelsY(y + height) - top};
}

constexpr int kDialogWidth = 226; // dialog units
constexpr int kDialogHeight = 123;
constexpr int kLabelX = 12;
constexpr int kLabelWidth = 100;
constexpr int kEditX = 114;
constexpr int kEditWidth = 102;
constexpr int kRowHeight = 14;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace

CConnectDlg::CConnectDlg(UserPrompts& prompts, std::function<bool()> engineRunning,
                         const QString& settingsPath, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_engineRunning(std::move(engineRunning)),
      m_settingsPath(settingsPath) {
    setWindowTitle(QStringLiteral("接続"));
    setFixedSize(UnitsToPixelsX(kDialogWidth), UnitsToPixelsY(kDialogHeight));

    const auto addRow = [this](int y, const QString& label, const char* name) {
        auto* text = new QLabel(label, this);
        text->setGeometry(UnitsToPixels(kLabelX, y, kLabelWidth, kRowHeight));
        text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(UnitsToPixels(kEditX, y, kEditWidth, kRowHeight));
        edit->setAlignment(Qt::AlignRight);
        text->setBuddy(edit);
        return edit;
    };
    m_address = addRow(8, QStringLiteral("IPアドレス："), "address");
    m_port = addRow(26, QStringLiteral("ポート番号："), "port");
    m_id = addRow(44, QStringLiteral("ID：英数字（4~16字）"), "id");
    m_password = addRow(62, QStringLiteral("パスワード：英数字（4~8字）"), "password");
    m_displayName = addRow(80, QStringLiteral("表示名：英数字（16字以内）"), "displayName");
    m_password->setEchoMode(QLineEdit::Password);

    m_addressLimit = TypingLimitValidator::Install(*m_address, kAddressLimit);
    m_portLimit = TypingLimitValidator::Install(*m_port, kPortLimit);
    m_idLimit = TypingLimitValidator::Install(*m_id, kIdLimit);
    // The password is never filled in by the program, so the plain limit does.
    m_password->setMaxLength(kPasswordLimit);
    m_displayNameLimit = TypingLimitValidator::Install(*m_displayName, kDisplayNameLimit);

    m_connect = new QPushButton(QStringLiteral("接続"), this);
    m_connect->setObjectName(QStringLiteral("connectButton"));
    m_connect->setGeometry(UnitsToPixels(162, 102, 50, 14));
    m_connect->setDefault(true);
    connect(m_connect, &QPushButton::clicked, this, &CConnectDlg::Confirm);
}

CConnectDlg::~CConnectDlg() = default;

void CConnectDlg::showEvent(QShowEvent* event) {
    // A spontaneous show is the window system restoring the dialog; only an
    // opening by the program starts afresh.
    if (!event->spontaneous()) {
        LoadFields();
        m_address->setFocus();
    }
    QDialog::showEvent(event);
}

void CConnectDlg::LoadFields() {
    const ConnectionEntries stored = ReadSettingsFile(m_settingsPath);
    m_addressLimit->SetWholeText(FromUtf8(stored.address));
    m_portLimit->SetWholeText(FromUtf8(stored.port));
    m_idLimit->SetWholeText(FromUtf8(stored.id));
    m_password->clear();
    m_displayNameLimit->SetWholeText(FromUtf8(stored.displayName));
}

void CConnectDlg::Confirm() {
    const ConnectionEntries typed{ToUtf8(m_address->text()), ToUtf8(m_port->text()),
                                  ToUtf8(m_id->text()), ToUtf8(m_password->text()),
                                  ToUtf8(m_displayName->text())};
    ConnectionSettings checked;
    if (const std::optional<std::string> refusal = CheckConnectionEntries(typed, checked)) {
        m_prompts.ShowError(FromUtf8(kInputErrorTitle), FromUtf8(*refusal));
        return;
    }

    // What the checks saw, which is what is remembered. The port keeps its
    // text as typed (leading zeros and all), not the converted number.
    const ConnectionEntries remembered{checked.address, typed.port, checked.id, std::string(),
                                       checked.displayName};
    // The connection goes ahead even when the file cannot be written.
    static_cast<void>(WriteSettingsFile(m_settingsPath, remembered));

    const bool engineRuns = m_engineRunning && m_engineRunning();
    if (!engineRuns && !m_prompts.AskYesNo(QString::fromUtf8(kNoEngineTitle),
                                           QString::fromUtf8(kNoEngineQuestion))) {
        return;
    }

    m_settings = std::move(checked);
    Q_EMIT connectRequested(m_settings);
    accept();
}

} // namespace skerrow
