#include "common/adapter_log.h"

#include <QSaveFile>
#include <cstdio>

namespace vorkel {
namespace {

const QByteArray SessionStart = "# session\n";

} // namespace

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

QByteArray KeptSessions(const QByteArray& log, int keep, qint64 budget) {
    QList<qsizetype> starts;
    for (qsizetype at = 0; (at = log.indexOf(SessionStart, at)) >= 0; at += SessionStart.size()) {
        if (at == 0 || log.at(at - 1) == '\n') starts << at;
    }
    // Whole sessions from the newest back, while they fit.
    qsizetype from = log.size();
    for (qsizetype i = starts.size() - 1; i >= 0 && starts.size() - i <= keep; --i) {
        if (log.size() - starts[i] > budget) break;
        from = starts[i];
    }
    QByteArray kept = log.mid(from);
    if (!kept.isEmpty() && !kept.endsWith('\n')) kept += '\n'; // a line cut by a kill
    return kept;
}

void AdapterLog::StartSession(const QStringList& header) {
    if (m_failed || m_path.isEmpty()) return;
    m_file.close();
    QByteArray old;
    if (QFile existing(m_path); existing.open(QIODevice::ReadOnly)) old = existing.readAll();
    // Room for the new session: the earlier ones take at most half the file.
    QSaveFile trimmed(m_path);
    if (!trimmed.open(QIODevice::WriteOnly)) return GiveUp(trimmed.errorString());
    trimmed.write(KeptSessions(old, LogSessionsKept - 1, LogMaxBytes / 2));
    if (!trimmed.commit()) return GiveUp(trimmed.errorString());
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::Append | QIODevice::Unbuffered))
        return GiveUp(m_file.errorString());
    m_clock.start();
    QByteArray lines = SessionStart;
    for (const QString& line : header)
        lines += "# " + EscapeLogBytes(line.toUtf8()) + '\n';
    Write(lines);
}

void AdapterLog::Event(char mark, const QByteArray& bytes) {
    if (!m_file.isOpen()) return;
    Write(QByteArray::number(m_clock.elapsed()) + ' ' + mark + ' ' + EscapeLogBytes(bytes) + '\n');
}

bool AdapterLog::Write(const QByteArray& line) {
    if (m_file.size() + line.size() > LogMaxBytes) {
        // A session that babbles past the limit ends its log here, whole lines only.
        const QByteArray full = "# the log is full\n";
        if (m_file.size() + full.size() <= LogMaxBytes) m_file.write(full);
        m_file.close();
        return false;
    }
    if (m_file.write(line) != line.size()) {
        GiveUp(m_file.errorString());
        return false;
    }
    return true;
}

void AdapterLog::GiveUp(const QString& why) {
    m_file.close();
    if (m_failed) return;
    m_failed = true;
    std::fprintf(stderr,
                 "vorkel: the adapter log %s cannot be written (%s); going on without it.\n",
                 qPrintable(m_path), qPrintable(why));
}

} // namespace vorkel
