#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;

namespace skerrow {

// The column beside the described layout that lets a person follow a game:
// both sides' clocks, whose turn it is in a large caption coloured as that
// side's stones, what was just announced (an end's points, the result), and
// the state of the link and of the engine in words. It only shows what it is
// given; the window decides the texts.
//
// Child object names: "redClock" and "yellowClock" (the times),
// "redClockName" and "yellowClockName", "turnCaption", "announcement",
// "connectionState" and "engineState".
class StatusPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusPanel)

public:
    // Width at 100 %, in pixels.
    static constexpr int kWidth = 260;

    // One side's clock as shown: the side's name, its time ("m:ss" or
    // "-:--") and whether it is counting down.
    struct Clock {
        QString name;
        QString time;
        bool running = false;
    };

    explicit StatusPanel(QWidget* parent = nullptr);
    ~StatusPanel() override;

    // Clocks of kRed and kYellow, in that order.
    void ShowClocks(const Clock& red, const Clock& yellow);
    // The turn caption, coloured as `colour`'s stones (kRed, kYellow), plain
    // without a colour.
    void ShowTurn(const QString& text, std::optional<int> colour);
    // An end's points or the game's result; empty hides it.
    void ShowAnnouncement(const QString& text);
    void ShowConnection(const QString& text);
    void ShowEngine(const QString& text);

    // Scales fonts and width to the window's zoom (per cent).
    void SetZoom(int zoomPercent);

    QString turnText() const;
    QString announcementText() const;
    QString clockText(int colour) const;

private:
    void ApplyFonts();

    int m_zoom = 100;
    std::optional<int> m_turnColour;
    std::array<QLabel*, 2> m_names{};
    std::array<QLabel*, 2> m_times{};
    std::array<bool, 2> m_running{};
    QLabel* m_turn = nullptr;
    QLabel* m_announcement = nullptr;
    QLabel* m_connection = nullptr;
    QLabel* m_engine = nullptr;
};

} // namespace skerrow
