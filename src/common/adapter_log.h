#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

// The adapter log, vorkel.log beside VORKEL.INI: what went over the wire,
// byte for byte, and what the user did and saw, so that a user's adapter can
// be met again on any machine (vorkel-sim --replay). Each Connect starts a
// session; the file keeps the last ten and stays under 2 MB.
//
//   # session                      a session's header lines begin with '#'
//   # program: VORKEL 1.0.0
//   1203 > atz\r                   ms since the session began, then
//   1250 < atz\r\r\rELM327 v1.5\r  '>' written, '<' arrived (one chunk a line),
//   1260 ! message: ...            '!' what the user did and saw
namespace vorkel {

inline constexpr int LogSessionsKept = 10;
inline constexpr qint64 LogMaxBytes = 2 * 1024 * 1024;

// Bytes as one line of text: printable ASCII as it is, \r, \n, \\ and \xNN
// for every other byte.
QByteArray EscapeLogBytes(const QByteArray& bytes);

// What is kept of a log when a new session starts: its last whole sessions,
// at most keep of them and at most budget bytes; never a part of one.
QByteArray KeptSessions(const QByteArray& log, int keep, qint64 budget);

class AdapterLog {
  public:
    void SetPath(const QString& path) { m_path = path; }
    QString Path() const { return m_path; }

    // Starts a session with these header lines (without their "# ").
    void StartSession(const QStringList& header);
    void Wrote(const QByteArray& bytes) { Event('>', bytes); }
    void Arrived(const QByteArray& bytes) { Event('<', bytes); }
    void Note(const QString& text) { Event('!', text.toUtf8()); }

  private:
    void Event(char mark, const QByteArray& bytes);
    bool Write(const QByteArray& line);
    void GiveUp(const QString& why);

    QString m_path;
    QFile m_file;
    QElapsedTimer m_clock;
    bool m_failed = false; // said once; the work goes on without the log
};

} // namespace vorkel
