#include "replay.h"

#include "elm327.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace vorkelsim {
namespace {

const QRegularExpression& EventLine() {
    static const QRegularExpression event(QStringLiteral("^(\\d+) ([<>!]) ?(.*)$"));
    return event;
}

QByteArray WithoutCr(const QByteArray& raw) {
    return raw.endsWith('\r') ? raw.chopped(1) : raw;
}

} // namespace

QByteArray UnescapeLogText(const QByteArray& text, bool* ok) {
    QByteArray out;
    if (ok) *ok = true;
    const auto bad = [ok] {
        if (ok) *ok = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size()) break;
        const char kind = text[++i];
        if (kind == 'r') {
            out += '\r';
        } else if (kind == 'n') {
            out += '\n';
        } else if (kind == '\\') {
            out += '\\';
        } else if (kind == 'x') {
            if (i + 2 >= text.size()) break; // "\x4" cut short
            bool hex = false;
            const int value = text.mid(i + 1, 2).toInt(&hex, 16);
            if (!hex) {
                bad();
                continue; // the rest of the line still counts
            }
            out += static_cast<char>(value);
            i += 2;
        } else {
            bad();
        }
    }
    return out;
}

QString ReplayLogProblem(const QByteArray& log) {
    bool commands = false;
    bool answers = false;
    const QList<QByteArray> lines = log.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QRegularExpressionMatch match =
            EventLine().match(QString::fromLatin1(WithoutCr(lines[n])));
        if (!match.hasMatch()) continue;
        bool ok = true;
        UnescapeLogText(match.captured(3).toLatin1(), &ok);
        if (!ok)
            return QStringLiteral("line %1: a bad escape (\\r, \\n, \\\\ or \\xNN)").arg(n + 1);
        commands = commands || match.captured(2) == QLatin1String(">");
        answers = answers || match.captured(2) == QLatin1String("<");
    }
    if (!commands || !answers)
        return QStringLiteral("no command (\">\") and answer (\"<\") lines: not an adapter log");
    return {};
}

QString LoadReplayLog(const QString& path, QByteArray& log) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) return QStringLiteral("%1: not a regular file").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    log = file.readAll();
    const QString problem = ReplayLogProblem(log);
    return problem.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(path, problem);
}

ReplayScript::ReplayScript(const QByteArray& log, bool fast) {
    // Where two programs shared the log, each one's lines are followed apart.
    struct Writer {
        QString command; // the command the arriving chunks answer
        QString last;    // what a lone CR repeats
        std::vector<Segment> answer;
        qint64 lastMs = 0;
    };
    QMap<QByteArray, Writer> writers;
    QByteArray current;
    bool sessionStarts = false;
    const auto flush = [this](Writer& w) {
        if (!w.command.isEmpty()) m_answers[w.command].push_back(w.answer);
        w.command.clear();
        w.answer.clear();
    };
    for (const QByteArray& raw : log.split('\n')) {
        const QByteArray line = WithoutCr(raw);
        if (line.startsWith("# session")) {
            // Another writer's session may still be running: only the lines
            // of a log without writers end here.
            current.clear();
            flush(writers[current]);
            writers[current] = Writer{};
            sessionStarts = true;
        } else if (line.startsWith("# writer: ")) {
            current = line.mid(10);
            if (sessionStarts) {
                flush(writers[current]);
                writers[current] = Writer{};
            }
            sessionStarts = false;
        }
        const QRegularExpressionMatch match = EventLine().match(QString::fromLatin1(line));
        if (!match.hasMatch()) continue;
        Writer& w = writers[current];
        const qint64 ms = match.captured(1).toLongLong();
        const QByteArray bytes = UnescapeLogText(match.captured(3).toLatin1());
        if (match.captured(2) == QLatin1String(">")) {
            flush(w);
            // Each CR ends a command; the chunks that follow answer the last.
            QList<QByteArray> pieces = bytes.split('\r');
            pieces.removeLast(); // what follows the last CR ends no command
            for (const QByteArray& piece : pieces) {
                const QString normalised = NormaliseCommand(piece);
                if (!normalised.isEmpty()) w.last = normalised;
                w.command = w.last;
            }
            w.lastMs = ms;
        } else if (match.captured(2) == QLatin1String("<") && !w.command.isEmpty() &&
                   !bytes.isEmpty()) {
            const qint64 pause = std::clamp<qint64>(ms - w.lastMs, 0, MaxReplayPauseMs);
            w.answer.push_back({fast ? 0 : static_cast<int>(pause), bytes});
            w.lastMs = ms;
        }
    }
    for (Writer& w : writers)
        flush(w);
}

std::optional<std::vector<Segment>> ReplayScript::Next(const QString& command) {
    auto it = m_answers.find(command);
    if (it == m_answers.end() || it->empty()) {
        m_unanswered << command;
        return std::nullopt;
    }
    std::vector<Segment> answer = it->front();
    it->pop_front();
    return answer;
}

} // namespace vorkelsim
