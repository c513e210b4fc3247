#pragma once

#include "common/form1_controls.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <optional>

namespace vorkel {

// How long a wait outside a connection attempt accepts silence from the
// adapter. During an attempt the connection time-out is the bound instead.
int AnswerTimeLimitMs();
void SetAnswerTimeLimitMs(int milliseconds); // tests shorten it

// One command or request to the adapter and the gathering of its answer.
// Every wait is a loop of one yield to the event loop and one read of at most
// one character, so the window stays live; every wait is bounded and ends with
// a LinkError when what it waits for cannot come.
class Exchange {
  public:
    explicit Exchange(Form1Controls& ui) : m_ui(ui) {}

    // Drops what is left of earlier answers, then writes text + CR LF in one write.
    void Send(const QString& text);

    // Gathers until done(gathered) holds. With promptEndsAnswer, the adapter's
    // prompt arriving first ends the wait with the reason the answer gives.
    QString GatherUntil(const std::function<bool(const QString&)>& done, bool promptEndsAnswer);

    // Gathers until the marker has arrived; nothing after it is read. Returns
    // what was gathered, the marker at its end.
    QString WaitForMarker(const QString& marker);

    // The characters up to and including the next CR.
    QString ReadLine();

    // The next reply line, or nothing when the answer has ended (the empty
    // line or the prompt that close it came instead).
    std::optional<QString> ReadAnswerLine();

    // Reads the rest of the answer through its prompt (bounded), so nothing of
    // it can be taken for a later answer.
    void Finish();

    bool PromptSeen() const { return m_promptSeen; }

    // The cluster answered "busy, answer pending" (7F xx 78): the real answer
    // may follow, so a prompt alone no longer ends the wait.
    void MarkPending() { m_pendingSeen = true; }

  private:
    enum class Step { Character, Nothing, Silent };
    Step ReadOne(QString& gathered, int silenceLimitMs);
    int SilenceLimit() const;
    void CheckStillWaiting() const;

    Form1Controls& m_ui;
    bool m_promptSeen = false;
    bool m_pendingSeen = false;
    QElapsedTimer m_silence; // since the last character arrived
};

// Gathered text is capped: garbage from a broken adapter cannot grow memory.
inline constexpr int GatheredTextCap = 4096;

} // namespace vorkel
