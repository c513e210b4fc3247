#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

// The adapter log, vorkel.log beside VORKEL.INI: what went over the wire,
// byte for byte, and what the user did and saw, so that a user's adapter can
// be met again on any machine (vorkel-sim --replay). Each Connect starts a
// session. The file is only ever appended to: when it holds ten sessions or
// half its share, it is moved aside whole as vorkel.log.1 (the one before
// goes) and a new one begins, so the two keep at least the last ten
// sessions, whole, in at most 2 MB.
//
//   # session                      a session's header lines begin with '#'
//   # program: VORKEL 1.0.0
//   # writer: 4711-1               which program wrote the lines that follow
//   1203 > atz\r                   ms since the session began, then
//   1250 < atz\r\r\rELM327 v1.5\r  '>' written, '<' arrived (one chunk a line),
//   1260 ! message: ...            '!' what the user did and saw
namespace vorkel {

inline constexpr int LogSessionsKept = 10;
inline constexpr qint64 LogMaxBytes = 2 * 1024 * 1024;     // vorkel.log and vorkel.log.1 together
inline constexpr qint64 LogFileMaxBytes = LogMaxBytes / 2; // where one file ends
inline constexpr qint64 LogMoveAsideBytes = LogFileMaxBytes / 2; // leaves a session half a file

// Bytes as one line of text: printable ASCII as it is, \r, \n, \\ and \xNN
// for every other byte.
QByteArray EscapeLogBytes(const QByteArray& bytes);

// Whether a file that begins so is an adapter log: empty, or its first line
// is "# session". Any other file of that name is the user's, never touched.
bool IsAdapterLogStart(const QByteArray& head);

// How many sessions a log holds: its "# session" lines.
int SessionsInLog(const QByteArray& log);

class AdapterLog {
  public:
    void SetPath(const QString& path) { m_path = path; }
    QString Path() const { return m_path; }
    // Where the older sessions were moved aside.
    QString OlderPath() const { return m_path + QStringLiteral(".1"); }
    // Whether this run has a session in the log (there is something to save).
    bool HasSession() const { return m_sessions > 0; }
    // The one line said on standard error when the log could not be kept.
    QString Problem() const { return m_problem; }
    // Every session kept, the moved-aside ones first; what Save Adapter Log copies.
    QByteArray Contents() const;

    // Starts a session with these header lines (without their "# ").
    void StartSession(const QStringList& header);
    void Wrote(const QByteArray& bytes) { Event('>', bytes); }
    void Arrived(const QByteArray& bytes) { Event('<', bytes); }
    void Note(const QString& text) { Event('!', text.toUtf8()); }

  private:
    friend class LogLock;
    bool Open();
    bool MoveAside();
    void Event(char mark, const QByteArray& bytes);
    bool Append(const QByteArray& lines, bool startsSession = false);
    void GiveUp(const QString& why);

    QString m_path;
    QFile m_file;
    QElapsedTimer m_clock;
    QByteArray m_writer;      // this program's and this log's name in "# writer: " lines
    qint64 m_end = -1;        // where the file ended after this program's last line
    int m_sessions = 0;       // sessions this run started in the log
    bool m_lockStuck = false; // another program held the lock too long: appends go without it
    QString m_problem;        // said once; the work goes on without the log
};

} // namespace vorkel
