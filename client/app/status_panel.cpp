#include "status_panel.h"

#include "game_rules.h"
#include "rink_geometry.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace skerrow {

namespace {

// The sides' colours: those of the stones, and a text colour that reads on
// each.
constexpr QColor kRedSide{200, 30, 36};
constexpr QColor kYellowSide{240, 196, 24};

QString Style(QColor background, QColor text) {
    return QStringLiteral("background-color: %1; color: %2; border-radius: 4px; padding: 2px;")
        .arg(background.name(), text.name());
}

QFont Sized(int pixels, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                      QStringLiteral("MS UI Gothic")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* NewLabel(QWidget* parent, const QString& objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("statusPanel"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(6);

    auto* clocks = new QGridLayout;
    clocks->setHorizontalSpacing(8);
    for (const int colour : {kRed, kYellow}) {
        const QString side = colour == kRed ? QStringLiteral("red") : QStringLiteral("yellow");
        auto* chip = new QLabel(this);
        chip->setFixedSize(14, 14);
        chip->setStyleSheet(colour == kRed ? Style(kRedSide, Qt::white)
                                           : Style(kYellowSide, Qt::black));
        m_names[colour] = NewLabel(this, side + QStringLiteral("ClockName"));
        m_times[colour] = NewLabel(this, side + QStringLiteral("Clock"));
        m_times[colour]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_times[colour]->setText(QStringLiteral("-:--"));
        m_times[colour]->setToolTip(
            QStringLiteral("持ち時間の残り（分:秒）。手番の側だけが減っていきます"));
        m_names[colour]->setToolTip(colour == kRed ? QStringLiteral("赤（先攻）の側")
                                                   : QStringLiteral("黄の側"));
        clocks->addWidget(chip, colour, 0);
        clocks->addWidget(m_names[colour], colour, 1);
        clocks->addWidget(m_times[colour], colour, 2);
    }
    clocks->setColumnStretch(1, 1);
    column->addLayout(clocks);

    m_turn = NewLabel(this, QStringLiteral("turnCaption"));
    m_turn->setAlignment(Qt::AlignCenter);
    m_turn->setWordWrap(true);
    m_turn->setToolTip(QStringLiteral("次に投げる側"));
    column->addWidget(m_turn);

    m_announcement = NewLabel(this, QStringLiteral("announcement"));
    m_announcement->setAlignment(Qt::AlignCenter);
    m_announcement->setWordWrap(true);
    m_announcement->setToolTip(QStringLiteral("終わったエンドの得点と試合の結果"));
    m_announcement->hide();
    column->addWidget(m_announcement);

    m_connection = NewLabel(this, QStringLiteral("connectionState"));
    m_connection->setWordWrap(true);
    m_connection->setToolTip(QStringLiteral("サーバーとの接続の状態"));
    column->addWidget(m_connection);
    m_engine = NewLabel(this, QStringLiteral("engineState"));
    m_engine->setWordWrap(true);
    m_engine->setToolTip(QStringLiteral("思考エンジンの状態"));
    column->addWidget(m_engine);

    ShowTurn({}, std::nullopt);
    ApplyFonts();
}

StatusPanel::~StatusPanel() = default;

void StatusPanel::ShowClocks(const Clock& red, const Clock& yellow) {
    for (const int colour : {kRed, kYellow}) {
        const Clock& clock = colour == kRed ? red : yellow;
        m_names[colour]->setText(
            clock.name.isEmpty() ? (colour == kRed ? QStringLiteral("赤") : QStringLiteral("黄"))
                                 : clock.name);
        m_times[colour]->setText(clock.time);
        m_running[colour] = clock.running;
        // The running clock stands out; the frozen one is grey.
        m_times[colour]->setStyleSheet(clock.running ? QStringLiteral("color: #101010;")
                                                     : QStringLiteral("color: #808080;"));
    }
    ApplyFonts();
}

void StatusPanel::ShowTurn(const QString& text, std::optional<int> colour) {
    m_turnColour = colour;
    m_turn->setText(text);
    m_turn->setVisible(!text.isEmpty());
    if (!colour) {
        m_turn->setStyleSheet(Style(QColor(225, 228, 236), Qt::black));
    } else {
        m_turn->setStyleSheet(*colour == kRed ? Style(kRedSide, Qt::white)
                                              : Style(kYellowSide, Qt::black));
    }
}

void StatusPanel::ShowAnnouncement(const QString& text) {
    m_announcement->setText(text);
    m_announcement->setVisible(!text.isEmpty());
    m_announcement->setStyleSheet(Style(QColor(232, 240, 255), QColor(20, 40, 110)));
}

void StatusPanel::ShowConnection(const QString& text) {
    m_connection->setText(text);
}

void StatusPanel::ShowEngine(const QString& text) {
    m_engine->setText(text);
}

void StatusPanel::SetZoom(int zoomPercent) {
    m_zoom = RinkGeometry::OfferedZoom(zoomPercent);
    ApplyFonts();
}

QString StatusPanel::turnText() const {
    return m_turn->text();
}

QString StatusPanel::announcementText() const {
    return m_announcement->isVisibleTo(this) ? m_announcement->text() : QString();
}

QString StatusPanel::clockText(int colour) const {
    return m_times.at(static_cast<std::size_t>(colour))->text();
}

void StatusPanel::ApplyFonts() {
    const auto px = [this](int pixels) { return RinkGeometry::Zoomed(pixels, m_zoom); };
    setFixedWidth(px(kWidth));
    for (const int colour : {kRed, kYellow}) {
        m_names[colour]->setFont(Sized(px(14), false));
        m_times[colour]->setFont(Sized(px(22), m_running[colour]));
    }
    m_turn->setFont(Sized(px(22), true));
    m_turn->setMinimumHeight(px(40));
    m_announcement->setFont(Sized(px(15), true));
    m_connection->setFont(Sized(px(12), false));
    m_engine->setFont(Sized(px(12), false));
}

} // namespace skerrow
