// While the window waits for the adapter: what it waits for and how long it
// may still take, in the status bar (panel 3 keeps "Connecting..."), and what
// every input does meanwhile, as the input table says: a stop (a second click
// on Connect, Disconnect, Escape, Setup) closes the port, except once Clear
// DTC's request has gone out: the cluster may be erasing.
#include "app/form1.h"

#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/wait_steps.h"
#include "link/exchange.h"
#include "settings/setup_form.h"

#include <QApplication>
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
        if (m_operation == Operation::None) return; // Setup's check waits on its own adapter
        if (m_stopped) return;                      // the words of the stop stand
        // A busy cluster, or other speeds tried, lengthen the step that runs
        // without being another: the table's moment stays the step's.
        if (step != QLatin1String(StepClusterBusy) && step != QLatin1String(StepTryingSpeeds))
            m_waitStep = step;
        m_waitWords = step;
        m_waitBoundMs = boundMs;
        m_waitSince.start();
        ShowWaiting();
        m_waitClock.start();
    });
}

void Form1::BeginOperation(Operation operation) {
    m_operation = operation;
    m_listing = false;
    m_stopped = false;
    m_erase = {};
    m_listTaken = false;
    m_listNote.clear();
    m_failure.reset();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BusyChanged();
}

void Form1::EndOperation() {
    QApplication::restoreOverrideCursor();
    m_operation = Operation::None;
    BusyChanged();
}

Moment Form1::CurrentMoment() const {
    const auto step = [this](const char* words) { return m_waitStep == QLatin1String(words); };
    switch (m_operation) {
    case Operation::None:
        return m_setup && m_setup->CheckRunning() ? Moment::Check : Moment::Idle;
    case Operation::View:
        return Moment::View;
    case Operation::Clear:
        return m_erase.confirmed ? Moment::ClearReadBack
               : m_erase.sent    ? Moment::ClearSent
                                 : Moment::ClearBeforeRequest;
    case Operation::Connect:
        break;
    }
    if (m_listing) return Moment::ConnectList;
    if (step(StepReadingCodes)) return Moment::ConnectCount;
    if (step(StepIdentifying)) return Moment::ConnectIdentify;
    if (step(StepSettingUp)) return Moment::ConnectSetUp;
    if (step(StepResetting)) return Moment::ConnectReset;
    return Moment::ConnectCalling;
}

bool Form1::Admit(Input input) {
    const Moment moment = CurrentMoment();
    const Response response = Respond(moment, input);
    if (response != Response::Act && response != Response::Ignore)
        m_log.Note(QStringLiteral("%1 during %2").arg(InputName(input), MomentName(moment)));
    switch (response) {
    case Response::Act:
        return true;
    case Response::Stop:
        StopOperation();
        return false;
    case Response::StopThenAct:
        StopOperation();
        return true;
    case Response::RefuseBusy:
        m_log.Note(QStringLiteral("refused: another operation runs"));
        StatusBar1->ShowNotice(
            QStringLiteral("%1 waits until the operation that runs has ended: click Connect "
                           "again, or press Escape, to stop it.")
                .arg(input == Input::ViewButton ? QStringLiteral("View DTC")
                                                : QStringLiteral("Clear DTC")),
            RefusedMessageMs);
        return false;
    case Response::RefuseErasing:
        m_log.Note(QStringLiteral("Stop: refused, the cluster may be erasing"));
        StatusBar1->ShowNotice(QStringLiteral("Clear DTC cannot be stopped now: the cluster may "
                                              "be erasing. Its answer is awaited."),
                               RefusedMessageMs);
        return false;
    case Response::RefuseCheck:
        StatusBar1->ShowNotice(QStringLiteral("Check Adapter is using the adapter: wait until "
                                              "it ends, or cancel it."),
                               RefusedMessageMs);
        return false;
    case Response::QuitAfterAnswer:
        m_quitAfterAnswer = true;
        StatusBar1->ShowNotice(
            QStringLiteral("VORKEL closes once the cluster has answered Clear DTC."),
            CurrentLinkLimits().pendingChainMs);
        return false;
    case Response::LeaveToWait:
    case Response::Ignore:
        return false;
    }
    return false;
}

void Form1::keyPressEvent(QKeyEvent* event) {
    // Escape, wherever it was pressed in the window, is the table's to decide.
    if (event->key() == Qt::Key_Escape && m_operation != Operation::None) {
        Admit(Input::Escape);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void Form1::ShowWaiting() {
    if (m_operation == Operation::None || m_waitWords.isEmpty()) return;
    const qint64 left = m_waitBoundMs - m_waitSince.elapsed();
    // Past its bound the wait ends at its next look: no figure it does not keep.
    StatusBar1->ShowProgress(
        left <= 0 ? QStringLiteral("%1...").arg(m_waitWords)
                  : QStringLiteral("%1... (up to %2 s)")
                        .arg(m_waitWords)
                        .arg(static_cast<int>(std::ceil(static_cast<double>(left) / 1000.0))));
}

void Form1::BusyChanged() {
    const bool busy = m_operation != Operation::None;
    UpdateListMenu();
    // What cannot act during a wait looks so.
    HoldCodeButtons(*this, busy);
    // While a wait runs the button says how to stop it, to the eye and to a screen reader.
    Connect_Command->setToolTip(busy ? StopHint : QString());
    Connect_Command->setAccessibleDescription(busy ? StopHint : QString());
    if (busy) return;
    m_waitClock.stop();
    StatusBar1->EndProgress();
    m_waitStep.clear();
    m_waitWords.clear();
}

QString Form1::StoppedWords() const {
    const QString operation =
        m_operation == Operation::View       ? QStringLiteral("Reading the trouble codes")
        : m_operation == Operation::Clear    ? QStringLiteral("Clearing the trouble codes")
        : AdapterState == AdapterInitialised ? QStringLiteral("Reading the trouble codes")
                                             : QStringLiteral("Connecting to the cluster");
    return QStringLiteral("%1 was stopped by the user.").arg(operation);
}

void Form1::StopOperation() {
    m_log.Note(QStringLiteral("Stop"));
    m_stopped = true;
    m_waitClock.stop();
    m_waitStep.clear();
    m_waitWords.clear();
    StatusBar1->EndProgress();
    // Said at once, whatever the wait was: a wait that unwinds quietly (a
    // Bluetooth page given up) leaves no countdown behind.
    StatusBar1->ShowNotice(StoppedWords(), StoppedMessageMs);
    // Nothing more is sent: the port closes, and the wait unwinds at once.
    DisconnectSteps();
}

} // namespace vorkel
