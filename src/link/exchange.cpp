#include "link/exchange.h"

#include "common/mscomm.h"
#include "common/pause.h"
#include "common/shared_state.h"
#include "common/wait_steps.h"
#include "link/link_error.h"
#include "link/reply_lines.h"

#include <QTimer>
#include <algorithm>

namespace vorkel {
namespace {

LinkLimits& Limits() {
    static LinkLimits limits;
    return limits;
}

// The bounds need the event loop to wake up now and then even when no byte
// arrives; four wake-ups a second cost nothing measurable.
class WakeTimer {
  public:
    explicit WakeTimer(int limitMs = Scaled(Limits().silenceMs)) {
        m_timer.setInterval(std::clamp(limitMs / 4, 5, 250));
        m_timer.start();
    }

  private:
    QTimer m_timer;
};

} // namespace

const LinkLimits& CurrentLinkLimits() {
    return Limits();
}

ScopedLinkLimits::ScopedLinkLimits(const LinkLimits& limits) : m_saved(Limits()) {
    Limits() = limits;
}

ScopedLinkLimits::~ScopedLinkLimits() {
    Limits() = m_saved;
}

void Exchange::CheckStillWaiting() const {
    // Only the reset answer of a connection attempt waits on its time-out:
    // any other exchange, a check run meanwhile included, is not its.
    if (m_bounds == Bounds::ConnectionTimeout && AdapterState == AdapterTimedOut)
        throw LinkError(LinkFailure::ConnectTimedOut);
    if (!m_comm.PortOpen()) {
        throw LinkError(m_comm.LastCloseReason() == MSComm::CloseReason::Lost
                            ? LinkFailure::PortLost
                            : LinkFailure::PortClosed);
    }
}

void Exchange::MarkPending() {
    // The wait may now last to the busy bound: whoever shows it is told.
    if (!m_pendingSeen)
        TellWaiting(QLatin1String(StepClusterBusy),
                    Scaled(Limits().pendingChainMs) - static_cast<int>(m_sinceSend.elapsed()));
    m_pendingSeen = true;
}

void Exchange::Send(const QString& text) {
    CheckStillWaiting();
    m_comm.DiscardInput();
    m_promptSeen = false;
    m_pendingSeen = false;
    m_lineEndTaken = false;
    m_request = text;
    m_heard.clear();
    m_sinceSend.start();
    if (!m_comm.Output(text.toLatin1() + '\r')) {
        CheckStillWaiting();
        throw LinkError(LinkFailure::PortLost);
    }
}

Exchange::Step Exchange::ReadOne(QString& gathered) {
    YieldToEventLoop(m_comm.InBufferCount() == 0);
    CheckStillWaiting();
    const QString c = m_comm.Input();
    if (c.isEmpty()) return Step::Nothing;
    m_silence.start();
    // Adapters with line feeds on send CR LF; dropping the LF keeps the
    // fixed character positions of the reply lines.
    if (c == QLatin1String("\n")) return Step::Nothing;
    m_heard += c;
    if (m_heard.size() > GatheredTextCap) m_heard.remove(0, m_heard.size() - GatheredTextCap / 2);
    if (c == QLatin1String("\r") &&
        IsPendingFrame(CurrentLine(gathered), RequestService(m_request)))
        MarkPending();
    gathered += c;
    if (gathered.size() > GatheredTextCap)
        gathered.remove(0, gathered.size() - GatheredTextCap / 2);
    if (c == QLatin1String(">")) m_promptSeen = true;
    return Step::Character;
}

void Exchange::CheckBounds() const {
    const LinkLimits& limits = Limits();
    if (m_pendingSeen) {
        if (m_sinceSend.elapsed() > Scaled(limits.pendingChainMs))
            throw LinkError(LinkFailure::PendingTooLong, WhatTheAdapterSent(m_heard, m_request));
    } else if (m_sinceSend.elapsed() > Scaled(limits.endlessAnswerMs)) {
        throw LinkError(LinkFailure::EndlessAnswer, WhatTheAdapterSent(m_heard, m_request));
    }
    if (m_silence.elapsed() > Scaled(limits.silenceMs)) {
        throw LinkError(m_pendingSeen ? LinkFailure::PendingNoAnswer : LinkFailure::NoAnswer,
                        WhatTheAdapterSent(m_heard, m_request));
    }
}

QString Exchange::Gather(const std::function<bool(const QString&)>& done, bool promptEndsAnswer,
                         Bounds bounds) {
    QString gathered;
    WakeTimer wake;
    m_bounds = bounds;
    const struct Restore {
        Bounds& bounds;
        ~Restore() { bounds = Bounds::Answer; }
    } restore{m_bounds};
    m_silence.start();
    for (;;) {
        const Step step = ReadOne(gathered);
        if (bounds == Bounds::Answer) CheckBounds();
        if (step == Step::Nothing) continue;
        if (done(gathered)) return gathered;
        if (promptEndsAnswer && gathered.endsWith(QLatin1Char('>'))) {
            const AnswerProblem problem = ClassifyAnswer(gathered, m_request);
            if (problem.pending || (m_pendingSeen && problem.failure == LinkFailure::Unexpected)) {
                // "Busy, answer pending": the answer may still come; the bounds hold.
                MarkPending();
                m_promptSeen = false;
                continue;
            }
            throw LinkError(problem.failure, WhatTheAdapterSent(m_heard, m_request),
                            problem.responseCode);
        }
    }
}

QString Exchange::GatherUntil(const std::function<bool(const QString&)>& done,
                              bool promptEndsAnswer) {
    return Gather(done, promptEndsAnswer, Bounds::Answer);
}

QString Exchange::WaitForBanner() {
    return Gather([](const QString& gathered) { return gathered.contains(QLatin1Char('>')); },
                  false, Bounds::ConnectionTimeout);
}

QString Exchange::WaitForMarker(const QString& marker) {
    return GatherUntil(
        [this, &marker](const QString& gathered) {
            return MarkerComplete(gathered, marker, m_lineEndTaken);
        },
        true);
}

QString Exchange::ReadLine() {
    if (m_lineEndTaken) {
        // The marker closed its line: what followed it was nothing but the CR.
        m_lineEndTaken = false;
        return QStringLiteral("\r");
    }
    return GatherUntil(
        [](const QString& gathered) {
            return gathered.endsWith(QLatin1Char('\r')) || gathered.endsWith(QLatin1Char('>'));
        },
        false);
}

std::optional<QString> Exchange::ReadAnswerLine() {
    for (;;) {
        if (m_promptSeen) return std::nullopt;
        const QString line = ReadLine();
        if (line == QLatin1String("\r") || line.endsWith(QLatin1Char('>'))) return std::nullopt;
        if (!IsOtherUnitFrame(line)) return line;
    }
}

bool Exchange::PromptWithin(int limitMs) {
    QString gathered;
    WakeTimer wake(limitMs);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < limitMs) {
        if (ReadOne(gathered) == Step::Character && gathered.endsWith(QLatin1String("\r>")))
            return true;
    }
    return false;
}

void Exchange::DrainUntilQuiet(int quietMs, int limitMs) {
    QString gathered;
    WakeTimer wake(Scaled(quietMs));
    QElapsedTimer clock;
    clock.start();
    m_silence.start();
    while (m_silence.elapsed() < Scaled(quietMs) && clock.elapsed() < Scaled(limitMs))
        ReadOne(gathered);
}

void Exchange::Finish() {
    if (m_promptSeen || !m_comm.PortOpen()) return;
    QString gathered;
    WakeTimer wake;
    QElapsedTimer finishing;
    finishing.start();
    // An adapter that never closes its answer is left to it: Send discards the rest later.
    while (!m_promptSeen && finishing.elapsed() <= Scaled(Limits().restOfAnswerMs))
        ReadOne(gathered);
}

} // namespace vorkel
