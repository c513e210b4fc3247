#include "sim_arguments.h"

#include <QCommandLineParser>

namespace vorkelsim {
namespace {

const char* const KnownCodes[] = {"9201", "9317", "9318", "9342", "9499", "9503", "9579",
                                  "9583", "9875", "A675", "A680", "A681", "A895", "A896",
                                  "D900", "E196", "E197", "E198", "E199", "E200"};

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

} // namespace

bool ParseCodeList(const QString& text, std::vector<DtcRecord>& out) {
    out.clear();
    if (text.trimmed().isEmpty()) return true;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const QString code = item.trimmed();
        bool ok = false;
        const uint value = code.toUInt(&ok, 16);
        if (!ok || code.size() != 4) return false;
        out.push_back(
            {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF), 0x20});
    }
    return true;
}

std::vector<DtcRecord> GeneratedCodes(int n) {
    std::vector<DtcRecord> codes;
    for (int i = 0; i < n; ++i) {
        const uint value = QString::fromLatin1(KnownCodes[i % 20]).toUInt(nullptr, 16);
        codes.push_back(
            {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF), 0x20});
    }
    return codes;
}

SimCommandLine ParseSimArguments(const QStringList& arguments, const QString& defaultPortsDir) {
    SimCommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "An ELM327-type OBD-II adapter with a BA/BF Falcon or SX/SY Territory instrument cluster "
        "behind it, on a pseudo-terminal.\n\nExamples:\n"
        "  vorkel-sim --com 1                         reachable as COM1 by vorkel\n"
        "  vorkel-sim --com 1 --codes 9317            one stored code\n"
        "  vorkel-sim --com 1 --no-data 22E21A        the cluster ignores one request\n"
        "  vorkel-sim --com 1 --wire-baud 38400 --trace"));
    parser.addHelpOption();
    const QCommandLineOption com(
        {QStringLiteral("com")},
        QStringLiteral("Appear as COM <n> (a link ports/COM<n> beside the program), e.g. --com 1."),
        QStringLiteral("n"));
    const QCommandLineOption portsDir(
        {QStringLiteral("ports-dir")},
        QStringLiteral("Folder for the COM link, e.g. --ports-dir build/ports."),
        QStringLiteral("dir"));
    const QCommandLineOption trace(
        {QStringLiteral("trace")},
        QStringLiteral("Print every line received and sent with a time stamp."));
    const QCommandLineOption banner(
        {QStringLiteral("banner")},
        QStringLiteral("What ATZ prints, e.g. --banner \"OBDII v1.5\" (no ELM)."),
        QStringLiteral("text"));
    const QCommandLineOption resetDelay(
        {QStringLiteral("reset-delay")},
        QStringLiteral("Milliseconds ATZ takes, e.g. --reset-delay 800 (default 300)."),
        QStringLiteral("ms"), QStringLiteral("300"));
    const QCommandLineOption latency(
        {QStringLiteral("latency")},
        QStringLiteral("Milliseconds before every answer, e.g. --latency 50."),
        QStringLiteral("ms"));
    const QCommandLineOption wireBaud(
        {QStringLiteral("wire-baud")},
        QStringLiteral("Pace the output at this baud rate, e.g. --wire-baud 38400."),
        QStringLiteral("baud"));
    const QCommandLineOption baud(
        {QStringLiteral("baud")},
        QStringLiteral(
            "The adapter's own speed; the program at another speed gets noise, e.g. --baud 38400."),
        QStringLiteral("baud"));
    const QCommandLineOption silent({QStringLiteral("silent")},
                                    QStringLiteral("The adapter answers nothing at all."));
    const QCommandLineOption junk(
        {QStringLiteral("junk")},
        QStringLiteral("A stray byte 0xFC before the banner after a reset."));
    const QCommandLineOption lineFeeds(
        {QStringLiteral("linefeeds")},
        QStringLiteral("Line feeds on after a reset (CR LF line ends)."));
    const QCommandLineOption padding(
        {QStringLiteral("padding")},
        QStringLiteral("Pad frames to 8 bytes and show the padding, e.g. --padding 00."),
        QStringLiteral("byte"));
    const QCommandLineOption searching(
        {QStringLiteral("searching")},
        QStringLiteral("Print SEARCHING... before the first answer after ATSP A/0."));
    const QCommandLineOption strict(
        {QStringLiteral("strict")},
        QStringLiteral(
            "A byte arriving during a request stops it (STOPPED), as the data sheet says."));
    const QCommandLineOption split({QStringLiteral("split")},
                                   QStringLiteral("Write the output one byte at a time."));
    const QCommandLineOption refuse(
        {QStringLiteral("refuse")},
        QStringLiteral("Answer \"?\" to a command, e.g. --refuse ATCAF1 (repeatable)."),
        QStringLiteral("command"));
    const QCommandLineOption noData(
        {QStringLiteral("no-data")},
        QStringLiteral(
            "The cluster ignores a request: NO DATA, e.g. --no-data 22E21A or --no-data '*'."),
        QStringLiteral("request"));
    const QCommandLineOption canError(
        {QStringLiteral("can-error")},
        QStringLiteral("CAN ERROR for a request, e.g. --can-error 220200."),
        QStringLiteral("request"));
    const QCommandLineOption bufferFull(
        {QStringLiteral("buffer-full")},
        QStringLiteral("First frame then BUFFER FULL, e.g. --buffer-full 1800FF00."),
        QStringLiteral("request"));
    const QCommandLineOption pending(
        {QStringLiteral("pending")},
        QStringLiteral("n frames 7F xx 78 before the answer, e.g. --pending 22E21A:2."),
        QStringLiteral("request:n"));
    const QCommandLineOption pendingLate(
        {QStringLiteral("pending-late")},
        QStringLiteral(
            "7F xx 78 then the prompt; the answer never comes, e.g. --pending-late 14FF00."),
        QStringLiteral("request"));
    const QCommandLineOption negative(
        {QStringLiteral("negative")},
        QStringLiteral(
            "Negative response for a service, e.g. --negative 18:31 or --negative 14:22."),
        QStringLiteral("service:code"));
    const QCommandLineOption unplug(
        {QStringLiteral("unplug")},
        QStringLiteral(
            "Close the line after n bytes of the answer to a command, e.g. --unplug 1800FF00:20."),
        QStringLiteral("command:n"));
    const QCommandLineOption lateLine(
        {QStringLiteral("late-line")},
        QStringLiteral(
            "A frame sent unasked right after each answer, e.g. --late-line \"728 03 7F 3E 11 \"."),
        QStringLiteral("text"));
    const QCommandLineOption codes(
        {QStringLiteral("codes")},
        QStringLiteral("Stored codes as received, e.g. --codes 9201,A680,D900 (the default); "
                       "--codes \"\" for none."),
        QStringLiteral("list"));
    const QCommandLineOption codeCount(
        {QStringLiteral("code-count")},
        QStringLiteral(
            "n stored codes taken in turn from the twenty known ones, e.g. --code-count 25."),
        QStringLiteral("n"));
    const QCommandLineOption keep({QStringLiteral("keep-after-clear")},
                                  QStringLiteral("Codes still there after clearing (the fault is "
                                                 "still active), e.g. --keep-after-clear 9317."),
                                  QStringLiteral("list"));
    const QCommandLineOption countReports(
        {QStringLiteral("count-reports")},
        QStringLiteral(
            "The count identifier reports n whatever the list holds, e.g. --count-reports 1."),
        QStringLiteral("n"));
    const QCommandLineOption listCount(
        {QStringLiteral("list-count")},
        QStringLiteral(
            "The list reply's count byte says n whatever it holds, e.g. --list-count 5."),
        QStringLiteral("n"));
    const QCommandLineOption prefix(
        {QStringLiteral("prefix")},
        QStringLiteral("Part number prefix, four characters, e.g. --prefix 5R29."),
        QStringLiteral("text"));
    const QCommandLineOption base(
        {QStringLiteral("base")},
        QStringLiteral("The four base-number bytes, e.g. --base 01000849."), QStringLiteral("hex"));
    const QCommandLineOption model({QStringLiteral("model")},
                                   QStringLiteral("Model code byte, e.g. --model 0A."),
                                   QStringLiteral("hex"));
    const QCommandLineOption letter({QStringLiteral("letter")},
                                    QStringLiteral("Second-letter code byte, e.g. --letter 03."),
                                    QStringLiteral("hex"));
    parser.addOptions({com,        portsDir,  trace,       banner,       resetDelay, latency,
                       wireBaud,   baud,      silent,      junk,         lineFeeds,  padding,
                       searching,  strict,    split,       refuse,       noData,     canError,
                       bufferFull, pending,   pendingLate, negative,     unplug,     lateLine,
                       codes,      codeCount, keep,        countReports, listCount,  prefix,
                       base,       model,     letter});
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.helpShown = true;
        result.helpText = parser.helpText();
        return result;
    }
    SimOptions& o = result.options;
    const auto number = [&](const QCommandLineOption& option, int& target) {
        if (!parser.isSet(option)) return true;
        bool ok = false;
        target = parser.value(option).toInt(&ok);
        if (!ok || target < 0)
            result.error = QStringLiteral("--%1 takes a whole number").arg(option.names().first());
        return ok;
    };
    const auto set = [&](const QCommandLineOption& option, CommandSet& target) {
        for (const QString& value : parser.values(option))
            target.insert(value == QLatin1String("*") ? value : Normalised(value));
    };
    number(com, result.comPort);
    result.portsDir = parser.isSet(portsDir) ? parser.value(portsDir) : defaultPortsDir;
    result.trace = parser.isSet(trace);
    if (parser.isSet(banner)) o.banner = parser.value(banner);
    number(resetDelay, o.resetDelayMs);
    number(latency, o.latencyMs);
    number(wireBaud, o.wireBaud);
    number(baud, o.expectBaud);
    o.silent = parser.isSet(silent);
    o.junkBeforeBanner = parser.isSet(junk);
    o.lineFeeds = parser.isSet(lineFeeds);
    if (parser.isSet(padding)) {
        o.padding = true;
        if (!ParseHexByte(parser.value(padding), o.padByte))
            result.error = QStringLiteral("--padding takes a hex byte");
    }
    o.searching = parser.isSet(searching);
    o.strict = parser.isSet(strict);
    o.splitBytes = parser.isSet(split);
    set(refuse, o.refuse);
    set(noData, o.noData);
    set(canError, o.canError);
    set(bufferFull, o.bufferFull);
    set(pendingLate, o.pendingLate);
    for (const QString& value : parser.values(pending)) {
        const QStringList parts = value.split(QLatin1Char(':'));
        bool ok = parts.size() == 2;
        const int n = ok ? parts[1].toInt(&ok) : 0;
        if (!ok)
            result.error = QStringLiteral("--pending takes request:n");
        else
            o.pending.insert(parts[0] == QLatin1String("*") ? parts[0] : Normalised(parts[0]), n);
    }
    for (const QString& value : parser.values(negative)) {
        const QStringList parts = value.split(QLatin1Char(':'));
        std::uint8_t service = 0;
        std::uint8_t code = 0;
        if (parts.size() != 2 || !ParseHexByte(parts[0], service) || !ParseHexByte(parts[1], code))
            result.error = QStringLiteral("--negative takes service:code in hex");
        else
            o.cluster.negative[service] = code;
    }
    if (parser.isSet(unplug)) {
        const QStringList parts = parser.value(unplug).split(QLatin1Char(':'));
        bool ok = parts.size() == 2;
        o.unplugAfterBytes = ok ? parts[1].toInt(&ok) : 0;
        if (!ok) result.error = QStringLiteral("--unplug takes command:n");
        o.unplugOn = Normalised(parts.value(0));
    }
    if (parser.isSet(lateLine))
        o.lateLine = parser.value(lateLine).toLatin1().replace("\\r", "\r") + '\r';
    if (parser.isSet(codes) && !ParseCodeList(parser.value(codes), o.cluster.codes))
        result.error = QStringLiteral("--codes takes four-digit hex codes separated by commas");
    int count = 0;
    if (parser.isSet(codeCount) && number(codeCount, count))
        o.cluster.codes = GeneratedCodes(std::min(count, 255));
    if (parser.isSet(keep) && !ParseCodeList(parser.value(keep), o.cluster.keepAfterClear))
        result.error = QStringLiteral("--keep-after-clear takes four-digit hex codes");
    number(countReports, o.cluster.countReports);
    number(listCount, o.cluster.listCountByte);
    if (parser.isSet(prefix)) {
        const QByteArray text = parser.value(prefix).toLatin1();
        if (text.size() != 4)
            result.error = QStringLiteral("--prefix takes four characters");
        else
            for (int i = 0; i < 4; ++i)
                o.cluster.prefix[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(text[i]);
    }
    if (parser.isSet(base)) {
        const QString text = parser.value(base);
        bool ok = text.size() == 8;
        for (int i = 0; ok && i < 4; ++i)
            ok = ParseHexByte(text.mid(i * 2, 2), o.cluster.base[static_cast<std::size_t>(i)]);
        if (!ok) result.error = QStringLiteral("--base takes eight hex digits");
    }
    if (parser.isSet(model) && !ParseHexByte(parser.value(model), o.cluster.modelCode))
        result.error = QStringLiteral("--model takes a hex byte");
    if (parser.isSet(letter) && !ParseHexByte(parser.value(letter), o.cluster.letterCode))
        result.error = QStringLiteral("--letter takes a hex byte");
    if (!parser.positionalArguments().isEmpty())
        result.error =
            QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
    return result;
}

} // namespace vorkelsim
