#include "link/exchange.h"

#include "common/mscomm.h"
#include "common/pause.h"
#include "common/shared_state.h"
#include "link/link_error.h"

#include <QTimer>
#include <algorithm>
#include <limits>

namespace vorkel {
namespace {

int& AnswerLimit() {
    static int limit = 5000;
    return limit;
}

// The silence bound needs the event loop to wake up now and then even when no
// byte arrives; four wake-ups a second cost nothing measurable.
class WakeTimer {
  public:
    WakeTimer() {
        m_timer.setInterval(std::clamp(AnswerLimit() / 4, 5, 250));
        m_timer.start();
    }

  private:
    QTimer m_timer;
};

QString Trimmed(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.remove(QLatin1Char('>'));
    return t.simplified().right(200);
}

// How long Finish waits for the rest of an answer before giving up on it.
int FinishLimitMs() {
    return std::min(1000, AnswerLimit());
}

} // namespace

int AnswerTimeLimitMs() {
    return AnswerLimit();
}
void SetAnswerTimeLimitMs(int milliseconds) {
    AnswerLimit() = milliseconds;
}

void Exchange::CheckStillWaiting() const {
    if (AdapterState == 3) throw LinkError(LinkFailure::ConnectTimedOut);
    if (!m_ui.MSComm1->PortOpen()) {
        throw LinkError(m_ui.MSComm1->LastCloseReason() == MSComm::CloseReason::Lost
                            ? LinkFailure::PortLost
                            : LinkFailure::PortClosed);
    }
}

void Exchange::Send(const QString& text) {
    CheckStillWaiting();
    m_ui.MSComm1->DiscardInput();
    m_promptSeen = false;
    m_pendingSeen = false;
    if (!m_ui.MSComm1->Output(text.toLatin1() + "\r\n")) {
        CheckStillWaiting();
        throw LinkError(LinkFailure::PortLost);
    }
}

Exchange::Step Exchange::ReadOne(QString& gathered, int silenceLimitMs) {
    MSComm& comm = *m_ui.MSComm1;
    YieldToEventLoop(comm.InBufferCount() == 0);
    CheckStillWaiting();
    const QString c = comm.Input();
    if (c.isEmpty()) {
        if (m_silence.elapsed() > silenceLimitMs) return Step::Silent;
        return Step::Nothing;
    }
    m_silence.start();
    // Adapters with line feeds on send CR LF; dropping the LF keeps the
    // fixed character positions of the reply lines.
    if (c == QLatin1String("\n")) return Step::Nothing;
    gathered += c;
    if (gathered.size() > GatheredTextCap)
        gathered.remove(0, gathered.size() - GatheredTextCap / 2);
    if (c == QLatin1String(">")) m_promptSeen = true;
    return Step::Character;
}

int Exchange::SilenceLimit() const {
    // During a connection attempt the connection time-out is the only bound.
    const bool attemptRunning = m_ui.Timer1 && m_ui.Timer1->isActive();
    return attemptRunning ? std::numeric_limits<int>::max() : AnswerLimit();
}

QString Exchange::GatherUntil(const std::function<bool(const QString&)>& done,
                              bool promptEndsAnswer) {
    QString gathered;
    WakeTimer wake;
    m_silence.start();
    for (;;) {
        const Step step = ReadOne(gathered, SilenceLimit());
        if (step == Step::Silent) {
            throw LinkError(m_pendingSeen ? LinkFailure::PendingNoAnswer : LinkFailure::NoAnswer,
                            Trimmed(gathered));
        }
        if (step == Step::Nothing) continue;
        if (done(gathered)) return gathered;
        if (promptEndsAnswer && gathered.endsWith(QLatin1Char('>'))) {
            const AnswerProblem problem = ClassifyAnswer(gathered);
            if (problem.pending || (m_pendingSeen && problem.failure == LinkFailure::Unexpected)) {
                // "Busy, answer pending": the answer may still come; the silence bound holds.
                m_pendingSeen = true;
                m_promptSeen = false;
                continue;
            }
            throw LinkError(problem.failure, Trimmed(gathered), problem.responseCode);
        }
    }
}

QString Exchange::WaitForMarker(const QString& marker) {
    return GatherUntil([&marker](const QString& gathered) { return gathered.endsWith(marker); },
                       true);
}

QString Exchange::ReadLine() {
    return GatherUntil(
        [](const QString& gathered) {
            return gathered.endsWith(QLatin1Char('\r')) || gathered.endsWith(QLatin1Char('>'));
        },
        false);
}

std::optional<QString> Exchange::ReadAnswerLine() {
    if (m_promptSeen) return std::nullopt;
    const QString line = ReadLine();
    if (line == QLatin1String("\r") || line.endsWith(QLatin1Char('>'))) return std::nullopt;
    return line;
}

void Exchange::Finish() {
    if (m_promptSeen || !m_ui.MSComm1->PortOpen()) return;
    QString gathered;
    WakeTimer wake;
    m_silence.start();
    while (!m_promptSeen) {
        if (ReadOne(gathered, FinishLimitMs()) == Step::Silent)
            return; // an adapter that never closes its answer: Send discards the rest later
    }
}

} // namespace vorkel
