// While the window waits for the adapter: what it waits for and how long it
// may still take, in the status bar (panel 3 keeps "Connecting..."), and the
// stop: a second click on Connect, or Escape. Once Clear DTC's request has
// gone out it is not stopped: the cluster may be erasing.
#include "app/form1.h"

#include "common/status_bar.h"
#include "common/wait_steps.h"

#include <QKeyEvent>
#include <QPushButton>
#include <cmath>

namespace vorkel {
namespace {

constexpr int WaitClockMs = 250;
constexpr int RefusedMessageMs = 5000;

const QString StopHint =
    QStringLiteral("Click Connect again, or press Escape, to stop the wait for the adapter.");

} // namespace

void Form1::BuildWaitAndStop() {
    m_waitClock.setInterval(WaitClockMs);
    connect(&m_waitClock, &QTimer::timeout, this, &Form1::ShowWaiting);
    SetWaitObserver([this](const QString& step, int boundMs) {
        if (!m_busy) return; // Setup's check waits on its own adapter
        if (step.isEmpty() && m_waitStep.isEmpty()) return;
        if (!step.isEmpty()) m_waitStep = step;
        m_waitBoundMs = boundMs;
        m_waitSince.start();
        ShowWaiting();
        m_waitClock.start();
    });
}

void Form1::keyPressEvent(QKeyEvent* event) {
    // Escape, wherever it was pressed in the window, stops a wait.
    if (event->key() == Qt::Key_Escape && m_busy) {
        StopOperation();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Form1::ShowWaiting() {
    if (!m_busy || m_waitStep.isEmpty()) return;
    const qint64 left = std::max<qint64>(0, m_waitBoundMs - m_waitSince.elapsed());
    StatusBar1->showMessage(QStringLiteral("%1... (up to %2 s)")
                                .arg(m_waitStep)
                                .arg(static_cast<int>(std::ceil(left / 1000.0))));
}

void Form1::BusyChanged() {
    UpdateListMenu();
    // While a wait runs the button says how to stop it, to the eye and to a screen reader.
    Connect_Command->setToolTip(m_busy ? StopHint : QString());
    Connect_Command->setAccessibleDescription(m_busy ? StopHint : QString());
    if (m_busy) return;
    m_waitClock.stop();
    if (!m_waitStep.isEmpty() && !m_stopped) StatusBar1->clearMessage();
    m_waitStep.clear();
}

void Form1::StopOperation() {
    if (m_operation == Operation::Clear && m_erase.sent) {
        m_log.Note(QStringLiteral("Stop: refused, the cluster may be erasing"));
        StatusBar1->showMessage(QStringLiteral("Clear DTC cannot be stopped now: the cluster may "
                                               "be erasing. Its answer is awaited."),
                                RefusedMessageMs);
        return;
    }
    m_log.Note(QStringLiteral("Stop"));
    m_stopped = true;
    m_waitClock.stop();
    m_waitStep.clear();
    // Nothing more is sent: the port closes, and the wait unwinds at once.
    DisconnectSteps();
}

} // namespace vorkel
