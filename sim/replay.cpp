#include "replay.h"

#include "elm327.h"

#include <QRegularExpression>

namespace vorkelsim {

QByteArray UnescapeLogText(const QByteArray& text) {
    QByteArray out;
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
        } else if (kind == 'x') {
            if (i + 2 >= text.size()) break; // "\x4" cut short
            bool ok = false;
            const int value = text.mid(i + 1, 2).toInt(&ok, 16);
            if (!ok) break;
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += kind; // "\\" and anything else stand for themselves
        }
    }
    return out;
}

ReplayScript::ReplayScript(const QByteArray& log, bool fast) {
    static const QRegularExpression event(QStringLiteral("^(\\d+) ([<>!]) ?(.*)$"));
    QString command; // the command the arriving chunks answer
    QString last;    // what a lone CR repeats
    std::vector<Segment> answer;
    qint64 lastMs = 0;
    const auto flush = [&] {
        if (!command.isEmpty()) m_answers[command].push_back(answer);
        command.clear();
        answer.clear();
    };
    for (const QByteArray& raw : log.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line.startsWith("# session")) {
            flush();
            last.clear();
        }
        const QRegularExpressionMatch match = event.match(QString::fromLatin1(line));
        if (!match.hasMatch()) continue;
        const qint64 ms = match.captured(1).toLongLong();
        const QByteArray bytes = UnescapeLogText(match.captured(3).toLatin1());
        if (match.captured(2) == QLatin1String(">")) {
            flush();
            // Each CR ends a command; the chunks that follow answer the last.
            QList<QByteArray> pieces = bytes.split('\r');
            pieces.removeLast(); // what follows the last CR ends no command
            for (const QByteArray& piece : pieces) {
                const QString normalised = NormaliseCommand(piece);
                if (!normalised.isEmpty()) last = normalised;
                command = last;
            }
            lastMs = ms;
        } else if (match.captured(2) == QLatin1String("<") && !command.isEmpty()) {
            answer.push_back(
                {fast ? 0 : static_cast<int>(std::max<qint64>(0, ms - lastMs)), bytes});
            lastMs = ms;
        }
    }
    flush();
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
