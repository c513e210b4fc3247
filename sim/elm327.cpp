#include "elm327.h"

#include "can_frames.h"

namespace vorkelsim {
namespace {

bool IsHex(const QString& text) {
    for (const QChar c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1()))) return false;
    }
    return !text.isEmpty();
}

Bytes HexToBytes(const QString& text) {
    Bytes bytes;
    for (qsizetype i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(text.mid(i, 2).toUInt(nullptr, 16)));
    return bytes;
}

bool InSet(const CommandSet& set, const QString& command) {
    return set.contains(command) || set.contains(QStringLiteral("*"));
}

} // namespace

QString NormaliseCommand(const QByteArray& line) {
    QString out;
    for (const char c : line) {
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            continue;
        out += QChar::fromLatin1(c).toUpper();
    }
    return out;
}

Elm327::Elm327(SimOptions options) : m_options(std::move(options)), m_cluster(m_options.cluster) {
    if (!m_options.replayLog.isEmpty())
        m_replay = std::make_unique<ReplayScript>(m_options.replayLog, m_options.replayFast);
    Reset();
}

void Elm327::Reset() {
    m_echo = true;
    m_headers = false;
    m_lineFeeds = m_options.lineFeeds;
    m_spaces = true;
    m_autoFormat = true;
    m_protocol = 0;
    m_protocolAuto = true;
    m_searchPending = true;
    m_header = 0x7DF;
    m_timeoutHex = 0x32;
}

std::vector<Answer> Elm327::Receive(const QByteArray& bytes) {
    std::vector<Answer> answers;
    for (const char c : bytes) {
        if (c == '\r') {
            answers.push_back(Execute(m_line));
            m_line.clear();
        } else if (c != '\n') {
            m_line += c;
        }
    }
    return answers;
}

QByteArray Elm327::StoppedText() const {
    return "STOPPED" + LineEnd() + Closing();
}

Answer Elm327::Execute(const QByteArray& received) {
    Answer answer;
    QString command = NormaliseCommand(received);
    if (command.isEmpty()) command = m_lastCommand; // a lone CR repeats the last command
    m_lastCommand = command;
    answer.command = command;
    if (m_replay) {
        // The recorded bytes hold the echo and everything else the adapter sent.
        if (std::optional<std::vector<Segment>> recorded = m_replay->Next(command))
            answer.segments = std::move(*recorded);
        else
            answer.segments.push_back({0, "?\r\r>"}); // like an adapter that does not know it
        return answer;
    }
    if (m_options.silent) return answer;
    if (m_options.modem) {
        // A Hayes modem at the port: it echoes, answers AT commands "OK",
        // anything else "ERROR", and never prompts.
        answer.segments.push_back(
            {Latency(), received + "\r\r\n" +
                            (command.startsWith(QLatin1String("AT")) ? "OK\r\n" : "ERROR\r\n")});
        return answer;
    }
    if (m_echo) answer.segments.push_back({0, received + LineEnd()});
    const int latency = Latency();
    if (command.isEmpty()) {
        answer.segments.push_back({latency, Closing()});
    } else if (m_options.refuse.contains(command)) {
        answer.segments.push_back({latency, "?" + LineEnd() + Closing()});
    } else if (m_options.ignore.contains(command)) {
        answer.segments.push_back({latency, "OK" + LineEnd() + Closing()});
    } else if (command.startsWith(QLatin1String("AT"))) {
        AtCommand(command.mid(2), answer);
    } else if (IsHex(command) && command.size() % 2 == 0 && command.size() <= 16) {
        answer.isRequest = true;
        Request(command, answer);
    } else {
        answer.segments.push_back({latency, "?" + LineEnd() + Closing()});
    }
    return answer;
}

int Elm327::Latency() {
    // A radio link's delay varies from answer to answer; the same each run.
    const int jitter =
        m_options.latencyJitterMs > 0 ? (m_answers * 37) % (m_options.latencyJitterMs + 1) : 0;
    ++m_answers;
    return m_options.latencyMs + jitter;
}

void Elm327::AtCommand(const QString& at, Answer& answer) {
    const int latency = Latency();
    const auto reply = [&](const QByteArray& text) {
        answer.segments.push_back({latency, text + LineEnd() + Closing()});
    };
    const auto ok = [&] { reply("OK"); };
    const auto flag = [&](const QString& name, bool& target) {
        if (at == name + QLatin1Char('0') || at == name + QLatin1Char('1')) {
            target = at.endsWith(QLatin1Char('1'));
            return true;
        }
        return false;
    };

    if (at == QLatin1String("Z") || at == QLatin1String("WS")) {
        Reset();
        QByteArray text;
        if (m_options.junkBeforeBanner) text += '\xFC';
        text += LineEnd() + LineEnd() + m_options.banner.toLatin1() + LineEnd() + Closing();
        answer.segments.push_back({at == QLatin1String("Z") ? m_options.resetDelayMs : 0, text});
        return;
    }
    if (at == QLatin1String("D")) {
        Reset();
        ok();
        return;
    }
    bool autoFormat = m_autoFormat;
    if (flag(QStringLiteral("E"), m_echo) || flag(QStringLiteral("H"), m_headers) ||
        flag(QStringLiteral("L"), m_lineFeeds) || flag(QStringLiteral("S"), m_spaces) ||
        flag(QStringLiteral("CAF"), autoFormat)) {
        m_autoFormat = autoFormat;
        ok();
        return;
    }
    if (at == QLatin1String("AT0") || at == QLatin1String("AT1") || at == QLatin1String("AT2")) {
        ok();
        return;
    }
    if (at.startsWith(QLatin1String("SP"))) {
        QString rest = at.mid(2);
        const bool automatic = rest.startsWith(QLatin1Char('A'));
        if (automatic) rest = rest.mid(1);
        if (rest.size() == 1 && IsHex(rest)) {
            m_protocol = rest.toInt(nullptr, 16);
            m_protocolAuto = automatic || m_protocol == 0;
            m_searchPending = true;
            ok();
            return;
        }
    }
    if (at.startsWith(QLatin1String("SH")) && (at.size() == 5 || at.size() == 8) &&
        IsHex(at.mid(2))) {
        m_header = at.mid(2).toInt(nullptr, 16);
        ok();
        return;
    }
    if (at.startsWith(QLatin1String("ST")) && at.size() == 4 && IsHex(at.mid(2))) {
        m_timeoutHex = at.mid(2).toInt(nullptr, 16);
        if (m_timeoutHex == 0) m_timeoutHex = 0x32;
        ok();
        return;
    }
    if (at == QLatin1String("I")) {
        reply(m_options.banner.toLatin1());
        return;
    }
    if (at == QLatin1String("@1")) {
        reply("OBDII to RS232 Interpreter");
        return;
    }
    if (at == QLatin1String("RV")) {
        reply(m_options.voltage);
        return;
    }
    if (at == QLatin1String("DPN")) {
        reply((m_protocolAuto ? QByteArray("A") : QByteArray()) +
              QByteArray::number(m_protocol, 16).toUpper());
        return;
    }
    reply("?");
}

QByteArray Elm327::HexBytes(const Bytes& bytes, std::size_t from, std::size_t to) const {
    QByteArray out;
    for (std::size_t i = from; i < bytes.size() && i < to; ++i) {
        out += QByteArray::number(bytes[i], 16).rightJustified(2, '0').toUpper();
        if (m_spaces) out += ' ';
    }
    return out;
}

QByteArray Elm327::FrameLine(const QByteArray& header, const QByteArray& bytes) const {
    QByteArray line = header + bytes;
    if (!m_options.trailingBlank && line.endsWith(' ')) line.chop(1);
    return line + LineEnd();
}

QByteArray Elm327::OtherUnitLine() {
    // Other control units talk on the same bus; without a receive filter the
    // adapter prints their frames too.
    static const char* const frames[] = {"7E8 03 41 0D 00 ", "72A 02 01 00 ", "7E9 04 41 0C 1A F8 ",
                                         "7E8 03 7F 18 11 "};
    const QByteArray frame = frames[m_otherUnit++ % 4];
    return FrameLine(frame.left(4), frame.mid(4));
}

QByteArray Elm327::FormatFrames(const std::vector<Bytes>& frames, int cut, int error) {
    QByteArray out;
    if (m_headers || !m_autoFormat) {
        const QByteArray id =
            QByteArray::number(m_header == 0x7DF ? 0x7E8 : m_header + 8, 16).toUpper();
        const bool busy = m_options.otherUnits && m_headers;
        if (busy) out += OtherUnitLine();
        for (std::size_t i = 0; i < frames.size(); ++i) {
            QByteArray line = FrameLine(m_headers ? id + (m_spaces ? " " : "") : QByteArray(),
                                        HexBytes(frames[i]));
            const int at = static_cast<int>(i);
            if (at == cut || at == error) {
                line.chop(LineEnd().size());
                // Cut after the first digit of the fourth byte: "728 21 80 20 D".
                if (at == cut) line.truncate(std::min<qsizetype>(line.size() - 2, 14));
                if (at == error) line += "<DATA ERROR";
                line += LineEnd();
            }
            out += line;
            if (busy) out += OtherUnitLine();
        }
        return out;
    }
    // Headers off, auto-formatting on: the protocol-control bytes are taken off.
    if (frames.size() == 1) {
        const std::size_t length = frames[0][0] & 0x0F;
        return FrameLine({}, HexBytes(frames[0], 1, 1 + length));
    }
    const int total = (frames[0][0] & 0x0F) << 8 | frames[0][1];
    out += QByteArray::number(total, 16).rightJustified(3, '0').toUpper() + LineEnd();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        out += FrameLine(QByteArray::number(static_cast<int>(i & 0x0F), 16).toUpper() + ": ",
                         HexBytes(frames[i], i == 0 ? 2 : 1));
    }
    return out;
}

void Elm327::Request(const QString& command, Answer& answer) {
    // A request and its answer take a few milliseconds on the CAN bus.
    int latency = Latency() + BusTimeMs;
    const int noDataDelay = static_cast<int>(m_timeoutHex * 4.096);
    if (m_options.searching && m_protocolAuto && m_searchPending) {
        // The search line comes at once; the answer once the protocol is found.
        answer.segments.push_back({latency, "SEARCHING..." + LineEnd()});
        latency = m_options.searchMs;
    }
    m_searchPending = false;
    if (m_protocol != 0 && m_protocol != 6) {
        answer.segments.push_back({latency, "UNABLE TO CONNECT" + LineEnd() + Closing()});
        return;
    }
    const bool noDataNow = InSet(m_options.noDataOnce, command) && !m_noDataGiven.contains(command);
    if (noDataNow) m_noDataGiven.insert(command);
    // The engine controller answers the OBD request for its supported values
    // when it is asked functionally (the header left at 7DF): seen when a
    // clone says OK to AT SH and keeps its old header.
    if (m_header == 0x7DF && command == QLatin1String("0100") &&
        !InSet(m_options.noData, command)) {
        answer.segments.push_back(
            {latency, FrameLine(m_headers ? QByteArray("7E8 ") : QByteArray(),
                                m_headers ? QByteArray("06 41 00 BE 1F A8 13 00 ")
                                          : QByteArray("41 00 BE 1F A8 13 ")) +
                          Closing()});
        return;
    }
    if (m_header != 0x720 || InSet(m_options.noData, command) || noDataNow) {
        answer.segments.push_back({latency + noDataDelay, "NO DATA" + LineEnd() + Closing()});
        return;
    }
    if (InSet(m_options.err94, command)) {
        // A fatal CAN error (after a power dip): the chip resets its settings.
        Reset();
        answer.segments.push_back({latency, "ERR94" + LineEnd() + Closing()});
        return;
    }
    if (InSet(m_options.canError, command)) {
        answer.segments.push_back({latency, "CAN ERROR" + LineEnd() + Closing()});
        return;
    }
    if (InSet(m_options.stopped, command)) {
        answer.segments.push_back({latency, StoppedText()});
        return;
    }
    if (InSet(m_options.endless, command)) {
        // Bytes without end, never a prompt: a broken adapter or a wrong speed.
        answer.segments.push_back({latency, "\x80\xF8\x80\xF8", 50});
        return;
    }
    const Bytes request = HexToBytes(command);
    const Bytes response = m_cluster.Respond(request);
    std::vector<Bytes> frames = SegmentPayload(response, m_options.padding, m_options.padByte);
    const bool multiFrame = frames.size() > 1;
    const auto damaged = [&](int n) {
        return multiFrame && n >= 0 && n < int(frames.size()) ? n : -1;
    };
    const int cut = damaged(m_options.cutFrame);
    const int error = damaged(m_options.errorFrame);
    if (const int n = damaged(m_options.dropByte); n >= 0 && frames[n].size() > 3)
        frames[n].erase(frames[n].begin() + 3);
    if (damaged(m_options.dropFrame) >= 0) frames.erase(frames.begin() + m_options.dropFrame);
    const auto busy = [&] {
        return FormatFrames(SegmentPayload(NegativeResponse(request[0], 0x78), m_options.padding,
                                           m_options.padByte));
    };

    if (InSet(m_options.pendingLate, command)) {
        answer.segments.push_back({latency, busy() + Closing()});
        return;
    }
    if (InSet(m_options.pendingForever, command)) {
        answer.segments.push_back({latency, busy(), m_options.pendingRepeatMs});
        return;
    }
    int delay = latency;
    for (int i = 0;
         i < m_options.pending.value(command, m_options.pending.value(QStringLiteral("*"))); ++i) {
        answer.segments.push_back({delay, busy()});
        delay = m_options.pendingGapMs;
    }
    if (InSet(m_options.errorAnswer, command)) {
        QByteArray line = FormatFrames({frames.front()});
        line.chop(LineEnd().size());
        while (line.endsWith(' '))
            line.chop(1);
        answer.segments.push_back({delay, line + "<DATA ERROR" + LineEnd() + Closing()});
        return;
    }
    if (InSet(m_options.bufferFull, command)) {
        answer.segments.push_back(
            {delay, FormatFrames({frames.front()}) + "BUFFER FULL" + LineEnd() + Closing()});
        return;
    }
    answer.segments.push_back({delay, FormatFrames(frames, cut, error) + Closing()});
}

} // namespace vorkelsim
