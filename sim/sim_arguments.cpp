#include "sim_arguments.h"

#include "personalities.h"
#include "replay.h"
#include "sim_option.h"

#include <QCommandLineParser>
#include <functional>

namespace vorkelsim {

bool ParseHexByte(const QString& text, std::uint8_t& out) {
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok || value > 0xFF) return false;
    out = static_cast<std::uint8_t>(value);
    return true;
}

QString Normalised(const QString& command) {
    return command.toUpper().remove(QLatin1Char(' '));
}

QString WholeNumber(const QString& value, const char* name, int& target) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < 0) return QStringLiteral("--%1 takes a whole number").arg(QLatin1String(name));
    target = n;
    return {};
}

QString HexByte(const QString& value, const char* name, std::uint8_t& target) {
    return ParseHexByte(value, target)
               ? QString()
               : QStringLiteral("--%1 takes a hex byte").arg(QLatin1String(name));
}

void Insert(CommandSet& set, const QString& value) {
    set.insert(value == QLatin1String("*") ? value : Normalised(value));
}

namespace {

std::vector<SimOption> AdapterOptions();
std::vector<SimOption> ClusterOptions();

// Options are applied in this order, so --personality comes first and the
// options after it change what it set.
const std::vector<SimOption>& OptionTable() {
    static const std::vector<SimOption> table = [] {
        std::vector<SimOption> all = AdapterOptions();
        for (const std::vector<SimOption>& more : {FaultOptions(), ClusterOptions()})
            all.insert(all.end(), more.begin(), more.end());
        return all;
    }();
    return table;
}

// How the adapter presents itself, and how this run of the simulator goes.
std::vector<SimOption> AdapterOptions() {
    using L = SimCommandLine;
    return {
        {"personality", "name",
         "Behave like a family of real adapters (see below), e.g. --personality genuine.",
         [](L& l, const QString& v) {
             return ApplyPersonality(v, l.options)
                        ? QString()
                        : QStringLiteral("--personality: unknown name %1").arg(v);
         }},
        {"com", "n",
         "Appear as COM <n>, 1 to 255 (a link COM<n> in the ports folder), e.g. --com 1.",
         [](L& l, const QString& v) {
             const QString error = WholeNumber(v, "com", l.comPort);
             if (!error.isEmpty()) return error;
             return l.comPort >= 1 && l.comPort <= 255 ? QString()
                                                       : QStringLiteral("--com takes 1 to 255");
         }},
        {"tcp", "port",
         "Listen on 127.0.0.1:<port> like a WiFi adapter (these use 35000) instead of a serial "
         "line; 0 takes a free port, e.g. --tcp 35000.",
         [](L& l, const QString& v) {
             const QString error = WholeNumber(v, "tcp", l.tcpPort);
             return error.isEmpty() && l.tcpPort > 65535 ? QStringLiteral("--tcp takes 0 to 65535")
                                                         : error;
         }},
        {"bluetooth", nullptr,
         "Be a paired Bluetooth adapter (OBDII 00:1D:A5:68:98:8B) behind a Bluetooth service "
         "of its own, on a D-Bus bus of its own whose address it prints for vorkel's "
         "DBUS_SYSTEM_BUS_ADDRESS; the machine's Bluetooth is not touched.",
         [](L& l, const QString&) {
             l.bluetooth = true;
             return QString();
         }},
        {"bt-name", "name", "The Bluetooth adapter's name, e.g. --bt-name \"OBDII\".",
         [](L& l, const QString& v) {
             l.options.bluetooth.name = v;
             return QString();
         }},
        {"ports-dir", "dir", "Folder for the COM link, e.g. --ports-dir build/ports.",
         [](L& l, const QString& v) {
             l.portsDir = v;
             return QString();
         }},
        {"replay", "file",
         "Play back the adapter side of a log of the program's (vorkel.log, or one written in "
         "its format, see docs/adapter-log.md): each command gets the answer recorded for it, "
         "e.g. --replay vorkel-20261208-1015.log.",
         [](L& l, const QString& v) {
             const QString problem = LoadReplayLog(v, l.options.replayLog);
             return problem.isEmpty() ? QString() : QStringLiteral("--replay: ") + problem;
         }},
        {"replay-fast", nullptr, "With --replay: without the recorded pauses.",
         [](L& l, const QString&) {
             l.options.replayFast = true;
             return QString();
         }},
        {"trace", nullptr, "Print every line received and sent with a time stamp.",
         [](L& l, const QString&) {
             l.trace = true;
             return QString();
         }},
        {"banner", "text",
         "What ATZ and ATI print instead of \"ELM327 v1.5\"; panel 1 of the program "
         "shows it, e.g. --banner \"OBDII v1.5\" (no ELM).",
         [](L& l, const QString& v) {
             l.options.banner = v;
             return QString();
         }},
        {"reset-delay", "ms", "Milliseconds ATZ takes (default 0), e.g. --reset-delay 800.",
         [](L& l, const QString& v) {
             return WholeNumber(v, "reset-delay", l.options.resetDelayMs);
         }},
        {"latency", "ms", "Milliseconds before every answer, e.g. --latency 50.",
         [](L& l, const QString& v) { return WholeNumber(v, "latency", l.options.latencyMs); }},
        {"wire-baud", "baud", "Pace the output at this baud rate, e.g. --wire-baud 38400.",
         [](L& l, const QString& v) { return WholeNumber(v, "wire-baud", l.options.wireBaud); }},
        {"baud", "baud",
         "The adapter's own speed; the program at another speed gets noise, e.g. --baud 38400.",
         [](L& l, const QString& v) { return WholeNumber(v, "baud", l.options.expectBaud); }},
        {"silent", nullptr, "The adapter answers nothing at all.",
         [](L& l, const QString&) {
             l.options.silent = true;
             return QString();
         }},
        {"junk", nullptr, "A stray byte 0xFC before the banner after a reset.",
         [](L& l, const QString&) {
             l.options.junkBeforeBanner = true;
             return QString();
         }},
        {"linefeeds", nullptr, "Line feeds on after a reset (CR LF line ends).",
         [](L& l, const QString&) {
             l.options.lineFeeds = true;
             return QString();
         }},
        {"padding", "byte", "Pad frames to 8 bytes and show the padding, e.g. --padding 00.",
         [](L& l, const QString& v) {
             l.options.padding = true;
             return HexByte(v, "padding", l.options.padByte);
         }},
        {"searching", nullptr, "Print SEARCHING... before the first answer after ATSP A/0.",
         [](L& l, const QString&) {
             l.options.searching = true;
             return QString();
         }},
        {"strict", nullptr,
         "A byte arriving during a request stops it (STOPPED), as the data sheet says.",
         [](L& l, const QString&) {
             l.options.strict = true;
             return QString();
         }},
        {"split", nullptr, "Write the output one byte at a time.",
         [](L& l, const QString&) {
             l.options.splitBytes = true;
             return QString();
         }},
    };
}

// The cluster behind the adapter.
std::vector<SimOption> ClusterOptions() {
    using L = SimCommandLine;
    return {
        {"codes", "list",
         "Stored codes as the cluster sends them, four hex digits each: the letter and first digit "
         "of the code are its first hex digit (8-B: B0-B3, C-F: U0-U3), so 9201 is B1201 and D900 "
         "is "
         "U1900, e.g. --codes 9201,A680,D900 (the default); --codes \"\" for none.",
         [](L& l, const QString& v) {
             return ParseCodeList(v, l.options.cluster.codes)
                        ? QString()
                        : QStringLiteral("--codes takes four-digit hex codes separated by commas");
         }},
        {"code-count", "n",
         "n stored codes taken in turn from the twenty known ones, e.g. --code-count 25.",
         [](L& l, const QString& v) {
             int count = 0;
             const QString error = WholeNumber(v, "code-count", count);
             if (error.isEmpty()) l.options.cluster.codes = GeneratedCodes(std::min(count, 255));
             return error;
         }},
        {"keep-after-clear", "list",
         "Codes still there after clearing (the fault is still active), e.g. --keep-after-clear "
         "9317.",
         [](L& l, const QString& v) {
             return ParseCodeList(v, l.options.cluster.keepAfterClear)
                        ? QString()
                        : QStringLiteral("--keep-after-clear takes four-digit hex codes");
         }},
        {"count-reports", "n",
         "The count identifier reports n whatever the list holds, e.g. --count-reports 1.",
         [](L& l, const QString& v) {
             return WholeNumber(v, "count-reports", l.options.cluster.countReports);
         }},
        {"list-count", "n",
         "The list reply's count byte says n whatever it holds, e.g. --list-count 5.",
         [](L& l, const QString& v) {
             return WholeNumber(v, "list-count", l.options.cluster.listCountByte);
         }},
        {"prefix", "text", "Part number prefix, four characters, e.g. --prefix 5R29.",
         [](L& l, const QString& v) {
             const QByteArray text = v.toLatin1();
             if (text.size() != 4) return QStringLiteral("--prefix takes four characters");
             for (int i = 0; i < 4; ++i)
                 l.options.cluster.prefix[static_cast<std::size_t>(i)] =
                     static_cast<std::uint8_t>(text[i]);
             return QString();
         }},
        {"base", "hex", "The four base-number bytes, e.g. --base 01000849.",
         [](L& l, const QString& v) {
             bool ok = v.size() == 8;
             for (int i = 0; ok && i < 4; ++i)
                 ok = ParseHexByte(v.mid(i * 2, 2),
                                   l.options.cluster.base[static_cast<std::size_t>(i)]);
             return ok ? QString() : QStringLiteral("--base takes eight hex digits");
         }},
        {"model", "hex", "Model code byte, e.g. --model 0A.",
         [](L& l, const QString& v) { return HexByte(v, "model", l.options.cluster.modelCode); }},
        {"letter", "hex", "Second-letter code byte, e.g. --letter 03.",
         [](L& l, const QString& v) { return HexByte(v, "letter", l.options.cluster.letterCode); }},
    };
}

QString Description(const QString& portsDir) {
    QString text =
        QStringLiteral(
            "An ELM327-type OBD-II adapter with a BA/BF Falcon or SX/SY Territory instrument "
            "cluster "
            "behind it, on a pseudo-terminal. Its COM link goes into %1.\n\nExamples:\n"
            "  vorkel-sim --com 1                         reachable as COM1 by vorkel\n"
            "  vorkel-sim --com 1 --codes 9317            one stored code (B1317)\n"
            "  vorkel-sim --com 1 --personality bt-slow   a slow Bluetooth adapter\n"
            "  vorkel-sim --com 1 --no-data 22E21A        the cluster ignores one request\n"
            "  vorkel-sim --tcp 35000                     a WiFi adapter at 127.0.0.1:35000\n"
            "  vorkel-sim --com 1 --wire-baud 38400 --trace\n\nPersonalities:\n")
            .arg(portsDir.isEmpty() ? QStringLiteral("the ports folder") : portsDir);
    for (const Personality& p : Personalities())
        text += QStringLiteral("  %1: %2\n      (%3)\n")
                    .arg(QLatin1String(p.name), QString::fromUtf8(p.summary),
                         QString::fromUtf8(p.source));
    return text;
}

} // namespace

SimCommandLine ParseSimArguments(const QStringList& arguments, const QString& defaultPortsDir) {
    SimCommandLine result;
    result.portsDir = defaultPortsDir;
    QCommandLineParser parser;
    parser.setApplicationDescription(Description(defaultPortsDir));
    parser.addHelpOption();
    std::vector<QCommandLineOption> parsed;
    for (const SimOption& option : OptionTable()) {
        parsed.emplace_back(QStringList{QLatin1String(option.name)}, QString::fromUtf8(option.help),
                            option.valueName ? QLatin1String(option.valueName) : QString());
        parser.addOption(parsed.back());
    }
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.helpShown = true;
        result.helpText = parser.helpText();
        return result;
    }
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        const SimOption& option = OptionTable()[i];
        if (!parser.isSet(parsed[i])) continue;
        const QStringList values =
            option.valueName ? parser.values(parsed[i]) : QStringList{QString()};
        for (const QString& value : values) {
            const QString error = option.apply(result, value);
            if (!error.isEmpty() && result.error.isEmpty()) result.error = error;
        }
    }
    if (!parser.positionalArguments().isEmpty())
        result.error =
            QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
    return result;
}

} // namespace vorkelsim
