// vorkel-sim's options for what the adapter and the line do wrong: refusals,
// silences, the adapter's error words, busy frames, damaged frames, a pulled plug.
#include "sim_option.h"

namespace vorkelsim {

std::vector<SimOption> FaultOptions() {
    using L = SimCommandLine;
    return {
        {"refuse", "command", "Answer \"?\" to a command, e.g. --refuse ATCAF1 (repeatable).",
         [](L& l, const QString& v) {
             Insert(l.options.refuse, v);
             return QString();
         }},
        {"ignore", "command",
         "Answer \"OK\" to a command and not apply it, as some clones do, e.g. --ignore ATSH720.",
         [](L& l, const QString& v) {
             Insert(l.options.ignore, v);
             return QString();
         }},
        {"voltage", "volts", "The supply AT RV reports, e.g. --voltage 11.4 (default 12.6).",
         [](L& l, const QString& v) {
             bool ok = false;
             const double volts = v.toDouble(&ok);
             if (!ok || volts < 0 || volts > 99)
                 return QStringLiteral("--voltage takes volts, e.g. 11.4");
             l.options.voltage = QByteArray::number(volts, 'f', 1) + 'V';
             return QString();
         }},
        {"no-data", "request",
         "The cluster ignores a request: NO DATA, e.g. --no-data 22E21A or --no-data '*'.",
         [](L& l, const QString& v) {
             Insert(l.options.noData, v);
             return QString();
         }},
        {"modem", nullptr, "Not an adapter: a modem that answers OK or ERROR and never prompts.",
         [](L& l, const QString&) {
             l.options.modem = true;
             return QString();
         }},
        {"no-data-once", "request",
         "NO DATA the first time a request is sent, the answer after, e.g. --no-data-once 22E21A.",
         [](L& l, const QString& v) {
             Insert(l.options.noDataOnce, v);
             return QString();
         }},
        {"err94", "request",
         "ERR94 for a request (a fatal CAN error; the adapter resets its settings).",
         [](L& l, const QString& v) {
             Insert(l.options.err94, v);
             return QString();
         }},
        {"can-error", "request", "CAN ERROR for a request, e.g. --can-error 220200.",
         [](L& l, const QString& v) {
             Insert(l.options.canError, v);
             return QString();
         }},
        {"stopped", "request",
         "STOPPED for a request, as when it is interrupted, e.g. --stopped 22E21A.",
         [](L& l, const QString& v) {
             Insert(l.options.stopped, v);
             return QString();
         }},
        {"buffer-full", "request", "First frame then BUFFER FULL, e.g. --buffer-full 1800FF00.",
         [](L& l, const QString& v) {
             Insert(l.options.bufferFull, v);
             return QString();
         }},
        {"pending", "request:n", "n frames 7F xx 78 before the answer, e.g. --pending 22E21A:2.",
         [](L& l, const QString& v) {
             const QStringList parts = v.split(QLatin1Char(':'));
             bool ok = parts.size() == 2;
             const int n = ok ? parts[1].toInt(&ok) : 0;
             if (!ok) return QStringLiteral("--pending takes request:n");
             l.options.pending.insert(
                 parts[0] == QLatin1String("*") ? parts[0] : Normalised(parts[0]), n);
             return QString();
         }},
        {"pending-late", "request",
         "7F xx 78 then the prompt; the answer never comes, e.g. --pending-late 14FF00.",
         [](L& l, const QString& v) {
             Insert(l.options.pendingLate, v);
             return QString();
         }},
        {"pending-forever", "request",
         "7F xx 78 every 1.5 s without end, never the answer, e.g. --pending-forever 1800FF00.",
         [](L& l, const QString& v) {
             Insert(l.options.pendingForever, v);
             return QString();
         }},
        {"endless", "request", "Noise without end and never a prompt, e.g. --endless 1800FF00.",
         [](L& l, const QString& v) {
             Insert(l.options.endless, v);
             return QString();
         }},
        {"drop-frame", "n",
         "Frame n of a long answer is lost (0: the first frame), e.g. --drop-frame 2.",
         [](L& l, const QString& v) { return WholeNumber(v, "drop-frame", l.options.dropFrame); }},
        {"cut-frame", "n",
         "The line of frame n of a long answer ends in the middle of a byte, e.g. --cut-frame 1.",
         [](L& l, const QString& v) { return WholeNumber(v, "cut-frame", l.options.cutFrame); }},
        {"drop-byte", "n",
         "Frame n of a long answer loses its fourth byte on the way (use with --padding), e.g. "
         "--drop-byte 1.",
         [](L& l, const QString& v) { return WholeNumber(v, "drop-byte", l.options.dropByte); }},
        {"error-answer", "request",
         "The answer ends in \"<DATA ERROR\" right after its last byte, no blank between, as "
         "some clones write it, e.g. --error-answer 14FF00.",
         [](L& l, const QString& v) {
             Insert(l.options.errorAnswer, v);
             return QString();
         }},
        {"error-frame", "n",
         "The line of frame n of a long answer ends in \"<DATA ERROR\", e.g. --error-frame 0.",
         [](L& l, const QString& v) {
             return WholeNumber(v, "error-frame", l.options.errorFrame);
         }},
        {"negative", "service:code",
         "Negative response for a service, e.g. --negative 18:31 or --negative 14:22.",
         [](L& l, const QString& v) {
             const QStringList parts = v.split(QLatin1Char(':'));
             std::uint8_t service = 0;
             std::uint8_t code = 0;
             if (parts.size() != 2 || !ParseHexByte(parts[0], service) ||
                 !ParseHexByte(parts[1], code))
                 return QStringLiteral("--negative takes service:code in hex");
             l.options.cluster.negative[service] = code;
             return QString();
         }},
        {"unplug", "command:n",
         "Close the line after n bytes of the answer to a command, e.g. --unplug 1800FF00:20.",
         [](L& l, const QString& v) {
             const QStringList parts = v.split(QLatin1Char(':'));
             bool ok = parts.size() == 2;
             l.options.unplugAfterBytes = ok ? parts[1].toInt(&ok) : 0;
             l.options.unplugOn = Normalised(parts.value(0));
             return ok ? QString() : QStringLiteral("--unplug takes command:n");
         }},
        {"bt-no-service", nullptr, "Bluetooth: no Bluetooth service on the bus.",
         [](L& l, const QString&) {
             l.options.bluetooth.service = false;
             return QString();
         }},
        {"bt-no-adapter", nullptr, "Bluetooth: the computer has no Bluetooth adapter.",
         [](L& l, const QString&) {
             l.options.bluetooth.adapter = false;
             return QString();
         }},
        {"bt-off", nullptr, "Bluetooth: switched off on the computer.",
         [](L& l, const QString&) {
             l.options.bluetooth.powered = false;
             return QString();
         }},
        {"bt-unpaired", nullptr, "Bluetooth: the adapter is known but no longer paired.",
         [](L& l, const QString&) {
             l.options.bluetooth.paired = false;
             return QString();
         }},
        {"bt-no-page", nullptr,
         "Bluetooth: the adapter never answers over the radio (out of range, no power).",
         [](L& l, const QString&) {
             l.options.bluetooth.answersPage = false;
             return QString();
         }},
        {"bt-mute", nullptr,
         "Bluetooth: the service holds its name on the bus but answers nothing.",
         [](L& l, const QString&) {
             l.options.bluetooth.answers = false;
             return QString();
         }},
        {"bt-held", nullptr,
         "Bluetooth: another program holds the adapter's link (AlreadyConnected).",
         [](L& l, const QString&) {
             l.options.bluetooth.heldByOther = true;
             return QString();
         }},
        {"bt-in-progress", nullptr,
         "Bluetooth: another program is connecting the adapter (InProgress).",
         [](L& l, const QString&) {
             l.options.bluetooth.beingConnected = true;
             return QString();
         }},
        {"late-line", "text",
         "A frame sent unasked right after each answer, e.g. --late-line \"728 03 7F 3E 11 \".",
         [](L& l, const QString& v) {
             l.options.lateLine = v.toLatin1().replace("\\r", "\r") + '\r';
             return QString();
         }},
    };
}

} // namespace vorkelsim
