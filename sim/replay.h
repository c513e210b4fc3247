#pragma once

#include "segment.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <deque>
#include <optional>

namespace vorkelsim {

// The longest pause a replay plays: a log's time stamps may jump (a laptop
// that slept), and a replay must not stop answering for days.
inline constexpr int MaxReplayPauseMs = 60000;

// A log of the program's ("vorkel.log", or one written by hand in its format)
// played back as the adapter: each command is answered with the bytes that
// answered the same command in the log, the first recorded answer first, in
// the chunks and with the pauses recorded. Lines of the log:
//   "# writer: ..."   whose lines follow, where two programs shared the log
//   "# ..."           any other header line, passed over
//   "<ms> > <text>"   what the program wrote: the commands, each ended by CR
//   "<ms> < <text>"   a chunk that arrived, answering the last command written
//   "<ms> ! <text>"   what the user did and saw, passed over
// Text is escaped: \r, \n, \\ and \xNN. A line cut short (a killed program)
// counts up to the cut.
class ReplayScript {
  public:
    ReplayScript(const QByteArray& log, bool fast);

    // The next recorded answer to a command (normalised: "ATZ", "1800FF00");
    // nothing when the log has no more for it.
    std::optional<std::vector<Segment>> Next(const QString& command);
    // The commands that found no answer left, in order.
    const QStringList& Unanswered() const { return m_unanswered; }

  private:
    QMap<QString, std::deque<std::vector<Segment>>> m_answers;
    QStringList m_unanswered;
};

// The bytes of an escaped log text; an escape cut at the end is dropped, and
// one that is no escape ("\xZZ", "\q") clears ok.
QByteArray UnescapeLogText(const QByteArray& text, bool* ok = nullptr);

// Why a log cannot be replayed ("line 7: a bad escape"), or nothing: it
// needs a command (">") and an answer ("<") line, and no bad escape.
QString ReplayLogProblem(const QByteArray& log);

// Reads a log to replay: only a regular file (a FIFO would wait for a writer
// for ever). Why it cannot be used, naming the file, or nothing.
QString LoadReplayLog(const QString& path, QByteArray& log);

} // namespace vorkelsim
