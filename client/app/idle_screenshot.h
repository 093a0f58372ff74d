#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace skerrow {

class CSkerrowDlg;

// Takes a picture of the main window once it has settled: nothing shown or
// started for a while, no replay running, no server message waiting and no
// connection attempt pending (and, if asked, after the server's first
// message). Then it writes the picture as a PNG file and says so.
class IdleScreenshot final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IdleScreenshot)

public:
    // Quiet time before the picture is taken, in milliseconds.
    static constexpr int kDefaultSettleMs = 500;
    // The picture is taken after this long in any case, so that a server
    // that never answers or a window that never settles cannot keep the
    // program running, in milliseconds.
    static constexpr int kDeadlineMs = 60000;

    // `window` (not owned) outlives this object.
    IdleScreenshot(CSkerrowDlg& window, QString file, int settleMs = kDefaultSettleMs,
                   QObject* parent = nullptr);
    ~IdleScreenshot() override;

    // Starts waiting for the window to settle.
    void Start();

    // Also waits for a first message from the server: for a run that
    // connects at start-up, whose picture is meant to show the match.
    void WaitForServer();

Q_SIGNALS:
    // The picture was written (`ok`), or could not be; `message` says which
    // file, or what went wrong.
    void done(bool ok, const QString& message);

private:
    void OnQuiet();
    void Take();

    CSkerrowDlg& m_window;
    QString m_file;
    QTimer m_settle;
    QTimer m_deadline;
    bool m_waitingForServer = false;
    bool m_done = false;
};

} // namespace skerrow
