#include "common/adapter_log.h"

#include "common/port_device.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

namespace vorkel {
namespace {

const QByteArray SessionStart = "# session\n";

QByteArray FileStart(QFile& file, qint64 bytes) {
    return file.seek(0) ? file.read(bytes) : QByteArray();
}

// A file of ours, read: nothing for one that is not a regular file (a FIFO
// would keep the reader waiting) or cannot be read.
QByteArray ReadOwnFile(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!NotARegularFile(path).isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
    return file.read(bytes);
}

} // namespace

// Holds the lock that keeps the appends of programs sharing the log apart,
// and makes sure the open file is still the one at the log's path: another
// program may have moved it aside, and its lines then go to the new one.
class LogLock {
  public:
    explicit LogLock(AdapterLog& log) : m_log(log) {
        for (int attempt = 0; attempt < 3 && m_log.m_file.isOpen(); ++attempt) {
            // A program stopped in the middle of its append (Ctrl+Z) keeps the
            // lock: waited for once, then this run writes without it.
            m_locked =
                !m_log.m_lockStuck && LockOwnFile(static_cast<int>(m_log.m_file.handle()), true);
            m_log.m_lockStuck = !m_locked;
            if (IsFileAt(static_cast<int>(m_log.m_file.handle()), m_log.m_path)) return;
            Release();
            m_log.m_file.close();
            if (!m_log.Open()) return;
        }
    }
    ~LogLock() { Release(); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
    void Release() {
        if (m_locked && m_log.m_file.isOpen())
            LockOwnFile(static_cast<int>(m_log.m_file.handle()), false);
        m_locked = false;
    }

  private:
    AdapterLog& m_log;
    bool m_locked = false;
};

QByteArray EscapeLogBytes(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else if (u >= 0x20 && u < 0x7F)
            out += c;
        else
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
    }
    return out;
}

bool IsAdapterLogStart(const QByteArray& head) {
    return head.isEmpty() || head.startsWith(SessionStart);
}

int SessionsInLog(const QByteArray& log) {
    return static_cast<int>(log.startsWith(SessionStart)) +
           static_cast<int>(log.count("\n" + SessionStart));
}

bool AdapterLog::Open() {
    QString why;
    const int handle = OpenOwnFile(m_path, why);
    if (handle < 0 ||
        !m_file.open(handle, QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        GiveUp(why.isEmpty() ? m_file.errorString() : QStringLiteral("it is %1").arg(why));
        return false;
    }
    // Made by root (sudo) in a user's folder: still the user's to write.
    GiveToFolderOwner(m_path);
    m_end = -1;
    return true;
}

bool AdapterLog::MoveAside() {
    // The moved-aside part replaces the one before; that must be a log too.
    const QString older = OlderPath();
    QString why = NotARegularFile(older);
    if (!why.isEmpty()) {
        GiveUp(QStringLiteral("%1 is %2, left as it is").arg(older, why));
        return false;
    }
    if (QFileInfo::exists(older) && (!QFileInfo(older).isReadable() ||
                                     !IsAdapterLogStart(ReadOwnFile(older, SessionStart.size())))) {
        GiveUp(QStringLiteral("%1 is not a log of VORKEL's, left as it is").arg(older));
        return false;
    }
    // Closed first: Windows renames no file that is held open. Its lock goes with it.
    m_file.close();
    if (!MoveOver(m_path, older, why)) {
        GiveUp(QStringLiteral("it cannot be moved aside (%1)").arg(why));
        return false;
    }
    // The new file is locked only where the lock holder will let it go: not
    // when the lock was judged stuck and this run writes without one.
    return Open() && (m_lockStuck || LockOwnFile(static_cast<int>(m_file.handle()), true));
}

void AdapterLog::StartSession(const QStringList& header) {
    if (!m_problem.isEmpty() || m_path.isEmpty()) return;
    if (m_writer.isEmpty())
        m_writer = QByteArray::number(QCoreApplication::applicationPid()) + '-' +
                   QByteArray::number(QRandomGenerator::global()->bounded(0x10000), 16);
    if (!m_file.isOpen() && !Open()) return;
    QByteArray lines = SessionStart;
    for (const QString& line : header)
        lines += "# " + EscapeLogBytes(line.toUtf8()) + '\n';
    lines += "# writer: " + m_writer + '\n';
    m_clock.start();
    if (Append(lines, true)) ++m_sessions;
}

void AdapterLog::Event(char mark, const QByteArray& bytes) {
    if (!m_file.isOpen()) return;
    Append(QByteArray::number(m_clock.elapsed()) + ' ' + mark + ' ' + EscapeLogBytes(bytes) + '\n');
}

bool AdapterLog::Append(const QByteArray& lines, bool startsSession) {
    LogLock lock(*this);
    if (!m_file.isOpen()) return false;
    QByteArray text = lines;
    if (startsSession) {
        const QByteArray log = FileStart(m_file, LogFileMaxBytes);
        if (!IsAdapterLogStart(log)) {
            GiveUp(QStringLiteral("it is not a log of VORKEL's (its first line is not "
                                  "\"# session\"), left as it is"));
            return false;
        }
        if ((SessionsInLog(log) >= LogSessionsKept || log.size() >= LogMoveAsideBytes) &&
            !MoveAside())
            return false;
        // A line that a killed program left unfinished ends before the new session.
        if (m_file.size() > 0 && m_file.seek(m_file.size() - 1) && m_file.read(1) != "\n")
            text.prepend('\n');
    } else if (m_file.size() != m_end) {
        // Another program wrote since our last line, or moved the log aside:
        // say whose the next ones are, in a file that begins as a log does.
        text.prepend("# writer: " + m_writer + '\n');
        if (m_file.size() == 0) text.prepend(SessionStart);
    }
    const qint64 size = m_file.size();
    if (size + text.size() > LogFileMaxBytes) {
        // A session that babbles past the limit ends its log here, whole lines only;
        // the next Connect moves it aside whole.
        const QByteArray full = "# the log is full\n";
        if (size + full.size() <= LogFileMaxBytes && m_file.write(full) != full.size())
            m_file.resize(size);
        m_file.close();
        return false;
    }
    const qint64 written = m_file.write(text);
    if (written != text.size()) {
        // A full disk: what was there stays as it was, without half a line.
        // (Half written, the file says no reason of its own: the system's is in errno.)
        const QString why =
            m_file.error() != QFileDevice::NoError ? m_file.errorString() : qt_error_string(errno);
        m_file.resize(size);
        GiveUp(why);
        return false;
    }
    m_end = size + written;
    return true;
}

QByteArray AdapterLog::Contents() const {
    QByteArray all;
    for (const QString& path : {OlderPath(), m_path}) {
        const QByteArray text = ReadOwnFile(path, LogFileMaxBytes);
        if (IsAdapterLogStart(text)) all += text;
    }
    return all;
}

void AdapterLog::GiveUp(const QString& why) {
    m_file.close();
    if (!m_problem.isEmpty()) return;
    m_problem = QStringLiteral("vorkel: the adapter log %1 is not kept this run: %2.")
                    .arg(QFileInfo(m_path).absoluteFilePath(), why);
    std::fprintf(stderr, "%s\n", qPrintable(m_problem));
}

} // namespace vorkel
