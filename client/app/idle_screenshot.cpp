#include "idle_screenshot.h"

#include "relay_session.h"
#include "skerrow_dlg.h"

#include <QPixmap>

#include <utility>

namespace skerrow {

IdleScreenshot::IdleScreenshot(CSkerrowDlg& window, QString file, int settleMs, QObject* parent)
    : QObject(parent), m_window(window), m_file(std::move(file)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &IdleScreenshot::OnQuiet);
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(kDeadlineMs);
    connect(&m_deadline, &QTimer::timeout, this, &IdleScreenshot::Take);
    // Anything that happens puts the picture off by another quiet time.
    connect(&m_window, &CSkerrowDlg::activity, this, [this] {
        if (!m_done) {
            m_settle.start();
        }
    });
}

IdleScreenshot::~IdleScreenshot() = default;

void IdleScreenshot::Start() {
    m_settle.start();
    m_deadline.start();
}

void IdleScreenshot::WaitForServer() {
    if (m_window.session() == nullptr) {
        return;
    }
    m_waitingForServer = true;
    connect(m_window.session(), &RelaySession::serverMessage, this, [this] {
        m_waitingForServer = false;
        if (!m_done) {
            m_settle.start();
        }
    });
}

void IdleScreenshot::OnQuiet() {
    if (m_done) {
        return;
    }
    if (m_waitingForServer || !m_window.isIdle()) {
        // A replay, a held message or a connection attempt still runs, or
        // the server has not spoken yet; looking again costs nothing.
        m_settle.start();
        return;
    }
    Take();
}

void IdleScreenshot::Take() {
    if (m_done) {
        return;
    }
    m_done = true;
    m_settle.stop();
    m_deadline.stop();
    const QPixmap picture = m_window.grab();
    if (picture.isNull() || !picture.save(m_file, "PNG")) {
        Q_EMIT done(false, QStringLiteral("cannot write the picture to %1").arg(m_file));
        return;
    }
    Q_EMIT done(true, m_file);
}

} // namespace skerrow
