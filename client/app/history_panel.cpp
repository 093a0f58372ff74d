#include "history_panel.h"

#include "rink_geometry.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace skerrow {

namespace {

QFont ListFont(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                      QStringLiteral("MS UI Gothic")});
    font.setPixelSize(pixels);
    return font;
}

} // namespace

HistoryPanel::HistoryPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("historyPanel"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 0, 6, 0);
    column->setSpacing(4);

    m_place = new QLabel(this);
    m_place->setObjectName(QStringLiteral("historyPlace"));
    m_place->setToolTip(QStringLiteral("盤面に出ている局面: 進行中の試合か、さかのぼった局面か"));
    column->addWidget(m_place);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setToolTip(QStringLiteral(
        "エンドと投球の一覧。クリックか ↑↓←→・Home・End でその局面を盤面に出します"));
    m_list->setWordWrap(true);
    m_list->setAlternatingRowColors(true);
    m_list->installEventFilter(this);
    column->addWidget(m_list, 1);
    connect(m_list, &QListWidget::currentRowChanged, this, &HistoryPanel::OnCurrentRowChanged);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    column->addLayout(buttons);
    const auto add = [&](QToolButton* button, void (HistoryPanel::*signal)()) {
        buttons->addWidget(button);
        connect(button, &QToolButton::clicked, this, signal);
    };
    add(AddButton(QStringLiteral("historyFirst"), QStringLiteral("|◀"),
                  QStringLiteral("最初の局面へ (Home)")),
        &HistoryPanel::firstRequested);
    add(AddButton(QStringLiteral("historyPrevious"), QStringLiteral("◀"),
                  QStringLiteral("一つ前の局面へ (← または ↑)")),
        &HistoryPanel::previousRequested);
    add(AddButton(QStringLiteral("historyNext"), QStringLiteral("▶"),
                  QStringLiteral("一つ後の局面へ (→ または ↓)")),
        &HistoryPanel::nextRequested);
    add(AddButton(QStringLiteral("historyLast"), QStringLiteral("▶|"),
                  QStringLiteral("最新の局面へ。進行中の試合に戻ります (End)")),
        &HistoryPanel::lastRequested);
    add(AddButton(QStringLiteral("historyReplay"), QStringLiteral("再生"),
                  QStringLiteral("盤面の局面に至った投球をもう一度再生します (Ctrl+P)")),
        &HistoryPanel::replayRequested);
    SetZoom(100);
}

HistoryPanel::~HistoryPanel() = default;

QToolButton* HistoryPanel::AddButton(const QString& name, const QString& text,
                                     const QString& toolTip) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(toolTip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void HistoryPanel::SetRows(std::vector<HistoryRow> rows) {
    m_marking = true;
    const int keep = m_list->currentRow();
    m_list->clear();
    m_rows = std::move(rows);
    for (const HistoryRow& row : m_rows) {
        auto* item = new QListWidgetItem(row.text, m_list);
        if (!row.position) {
            QFont bold = m_list->font();
            bold.setBold(true);
            item->setFont(bold);
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(QColor(225, 232, 244));
        } else if (row.colour.isValid()) {
            item->setForeground(row.colour == QColor(Qt::yellow) ? QColor(120, 90, 0)
                                                                 : row.colour.darker(120));
        }
    }
    if (keep >= 0 && keep < m_list->count()) {
        m_list->setCurrentRow(keep);
    }
    m_marking = false;
}

void HistoryPanel::ShowPosition(std::size_t position, bool live, const QString& place) {
    m_marking = true;
    int marked = -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].position == position) {
            marked = static_cast<int>(i);
        }
    }
    m_list->setCurrentRow(marked);
    if (marked >= 0) {
        m_list->scrollToItem(m_list->item(marked));
    }
    m_marking = false;
    m_place->setText(place);
    m_place->setStyleSheet(live ? QStringLiteral("color: #1a6b2a; font-weight: bold;")
                                : QStringLiteral("color: #9a4a00; font-weight: bold;"));
}

void HistoryPanel::SetZoom(int zoomPercent) {
    m_zoom = RinkGeometry::OfferedZoom(zoomPercent);
    m_list->setFont(ListFont(RinkGeometry::Zoomed(12, m_zoom)));
    m_place->setFont(ListFont(RinkGeometry::Zoomed(12, m_zoom)));
    for (QToolButton* button : findChildren<QToolButton*>()) {
        button->setFont(ListFont(RinkGeometry::Zoomed(12, m_zoom)));
    }
}

void HistoryPanel::OnCurrentRowChanged(int row) {
    if (m_marking || row < 0 || row >= static_cast<int>(m_rows.size())) {
        return;
    }
    if (const std::optional<std::size_t> position =
            m_rows[static_cast<std::size_t>(row)].position) {
        Q_EMIT positionChosen(*position);
    }
}

bool HistoryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        // The window's own keys step the board; the list only marks.
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            Q_EMIT previousRequested();
            return true;
        case Qt::Key_Right:
        case Qt::Key_Down:
            Q_EMIT nextRequested();
            return true;
        case Qt::Key_Home:
            Q_EMIT firstRequested();
            return true;
        case Qt::Key_End:
            Q_EMIT lastRequested();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace skerrow
