#pragma once

#include "common/pause.h"
#include "link/link_error.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <optional>

namespace vorkel {

class MSComm;

// How long a wait for the adapter may last. Silence ends any wait outside the
// reset answer (the connection time-out bounds that one); the totals, counted
// from the request, end answers that keep coming without their prompt.
struct LinkLimits {
    int silenceMs = 5000;        // nothing arrived
    int endlessAnswerMs = 10000; // bytes keep coming, but never the prompt
    int pendingChainMs = 30000;  // the cluster keeps saying "busy" (7F xx 78)
    int restOfAnswerMs = 1000;   // the rest of an answer after what was wanted
    int noDataRetryMs = 300;     // before a read request answered NO DATA is sent again
};
const LinkLimits& CurrentLinkLimits();

// Tests shorten the limits for as long as one of these lives.
class ScopedLinkLimits {
  public:
    explicit ScopedLinkLimits(const LinkLimits& limits);
    ~ScopedLinkLimits();
    ScopedLinkLimits(const ScopedLinkLimits&) = delete;
    ScopedLinkLimits& operator=(const ScopedLinkLimits&) = delete;

  private:
    LinkLimits m_saved;
};

// One command or request to the adapter and the gathering of its answer.
// Every wait is a loop of one yield to the event loop and one read of at most
// one character, so the window stays live; every wait is bounded and ends with
// a LinkError when what it waits for cannot come.
class Exchange {
  public:
    explicit Exchange(MSComm& comm) : m_comm(comm) {}

    // Drops what is left of earlier answers, then writes text + CR in one
    // write. CR alone: a genuine adapter takes any byte that follows while the
    // request runs as an interruption (STOPPED).
    void Send(const QString& text);

    // The answer to a reset, through its prompt. Only the connection time-out
    // (or the port closing) ends it otherwise.
    QString WaitForBanner();

    // Gathers until done(gathered) holds. With promptEndsAnswer, the adapter's
    // prompt arriving first ends the wait with the reason the answer gives.
    QString GatherUntil(const std::function<bool(const QString&)>& done, bool promptEndsAnswer);

    // Gathers until the marker has arrived in a line of the cluster's; nothing
    // after it is read. Returns what was gathered, the marker at its end.
    QString WaitForMarker(const QString& marker);

    // The characters up to and including the next CR.
    QString ReadLine();

    // The cluster's next reply line, or nothing when the answer has ended (the
    // empty line or the prompt that close it came instead). Frames of other
    // control units are passed over.
    std::optional<QString> ReadAnswerLine();

    // Reads the rest of the answer through its prompt (bounded), so nothing of
    // it can be taken for a later answer.
    void Finish();

    // Reads and drops what arrives until nothing has come for quietMs, or
    // limitMs has passed: what an earlier command's late answer still sends.
    void DrainUntilQuiet(int quietMs, int limitMs);

    // Whether the adapter's prompt comes, after a line end, within limitMs
    // (noise is most unlikely to hold "\r>"). For probing, so no other bound.
    bool PromptWithin(int limitMs);

    bool PromptSeen() const { return m_promptSeen; }
    // What arrived since the request (its last 4096 characters at most).
    const QString& Heard() const { return m_heard; }

    // The cluster answered "busy, answer pending" (7F xx 78): the real answer
    // may follow, so a prompt alone no longer ends the wait.
    void MarkPending();

  private:
    enum class Step { Character, Nothing };
    enum class Bounds { Answer, ConnectionTimeout };
    QString Gather(const std::function<bool(const QString&)>& done, bool promptEndsAnswer,
                   Bounds bounds);
    Step ReadOne(QString& gathered);
    void CheckBounds() const;
    void CheckStillWaiting() const;

    MSComm& m_comm;
    Bounds m_bounds = Bounds::Answer; // the wait that runs
    bool m_promptSeen = false;
    bool m_pendingSeen = false;
    bool m_lineEndTaken = false; // the marker's wait read the CR of its line
    QString m_request;           // what was sent last, to tell its echo apart
    QString m_heard;             // what arrived since, for the failure messages
    QElapsedTimer m_silence;     // since the last character arrived
    QElapsedTimer m_sinceSend;   // since the request went out
};

// Runs a read request (identification, count, list) and, when the answer is
// NO DATA, once more after a short pause: adapters report NO DATA now and then
// while the cluster is there. A second NO DATA fails. Never for Clear.
template <typename Read> auto ReadAgainAfterNoData(Read&& read) -> decltype(read()) {
    try {
        return read();
    } catch (const LinkError& error) {
        if (error.failure() != LinkFailure::NoData) throw;
    }
    Pause(CurrentLinkLimits().noDataRetryMs);
    return read();
}

// Gathered text is capped: garbage from a broken adapter cannot grow memory.
inline constexpr int GatheredTextCap = 4096;

} // namespace vorkel
