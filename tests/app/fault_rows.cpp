#include "app/fault_rows.h"

#include "common/bluetooth.h"
#include "support/test_parts.h"
#include "support/time_scale.h"

#include <QtTest>

void AddFaultRows() {
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("click");
    QTest::addColumn<QString>("message"); // a part of the one message expected; empty: none
    QTest::addColumn<bool>("connected");  // the state the window ends in
    QTest::addColumn<int>("boundMs");

    const QString timeout = QStringLiteral("Unable to Connect To ELM");
    const QString lost = QStringLiteral("connection to the adapter was lost");
    const int quick = 4000; // the pauses of a connection, and some
    const int timed = 8500; // the 6 s connection time-out, the speed search, and some
    const int silence = 1000 + SuiteLimits.silenceMs; // the silence bound, and some
    const int endless = 1000 + SuiteLimits.endlessAnswerMs;
    const int pendingChain = 1000 + SuiteLimits.pendingChainMs;
    // ctest runs the suite in parts side by side, every row in one of them.
    int rows = 0;
    const auto row = [&rows](const QString& name, Step step, const QStringList& faults, Click click,
                             const QString& message, bool connected, int bound) {
        if (!testparts::InThisPart(rows++)) return;
        QTest::newRow(qPrintable(name))
            << int(step) << faults << int(click) << message << connected << bound;
    };

    // Connect
    row("connect: silent adapter", Connect, {"--silent"}, NoClick, timeout, false, timed);
    row("connect: wrong speed", Connect, {"--baud", "9600"}, NoClick, timeout, false, timed);
    row("connect: unplugged during the speed search", Connect,
        {"--baud", "9600", "--unplug", "ATI:2"}, NoClick, lost, false, timed);
    row("connect: no ELM in the banner", Connect, {"--banner", "OBDII v1.5"}, NoClick, "", true,
        quick);
    row("connect: junk before the banner", Connect, {"--junk"}, NoClick, "", true, quick);
    row("connect: line feeds on", Connect, {"--linefeeds"}, NoClick, "", true, quick);
    row("connect: bytes one by one", Connect, {"--split"}, NoClick, "", true, quick);
    row("connect: leftover frames", Connect, {"--late-line", "728 04 62 02 00 09 "}, NoClick, "",
        true, quick);
    row("connect: count and list disagree", Connect, {"--count-reports", "1"}, NoClick, "", true,
        quick);
    for (const char* command : {"ATCAF1", "ATSPA6", "ATSH720", "ATH1"})
        row(QStringLiteral("connect: ? to %1").arg(QLatin1String(command)), Connect,
            {"--refuse", command}, NoClick, "did not accept", false, quick);
    for (const char* request : {"22E21A", "22E217", "22E219", "22E200", "220200"}) {
        const QString r = QLatin1String(request);
        row("connect: NO DATA for " + r, Connect, {"--no-data", r}, NoClick, "NO DATA", false,
            quick);
        row("connect: pending within the time-out for " + r, Connect, {"--pending", r + ":2"},
            NoClick, "", true, quick);
        row("connect: CAN ERROR for " + r, Connect, {"--can-error", r}, NoClick, "CAN ERROR", false,
            quick);
    }
    // Adapters say NO DATA now and then: a read asked again once is answered.
    for (const char* request : {"22E21A", "220200", "1800FF00"})
        row(QStringLiteral("connect: NO DATA once for %1").arg(QLatin1String(request)), Connect,
            {"--no-data-once", request}, NoClick, "", true, quick);
    row("connect: ERR94", Connect, {"--err94", "22E217"}, NoClick, "ERR94", false, quick);
    row("connect: NO DATA for 1800FF00", Connect, {"--no-data", "1800FF00"}, NoClick, "NO DATA",
        true, quick);
    row("connect: negative response to 22", Connect, {"--negative", "22:31"}, NoClick, "refused",
        false, quick);
    row("connect: negative response to 18", Connect, {"--negative", "18:31"}, NoClick, "refused",
        true, quick);
    row("connect: pending beyond the adapter's wait", Connect, {"--pending-late", "22E219"},
        NoClick, "busy", false, quick + silence);
    row("connect: strict adapter", Connect, {"--strict"}, NoClick, "", true, quick);
    row("connect: STOPPED", Connect, {"--stopped", "22E21A"}, NoClick, "STOPPED", false, quick);
    row("connect: busy without end", Connect, {"--pending-forever", "22E217"}, NoClick,
        "kept saying it was busy", false, quick + pendingChain);
    row("connect: endless noise", Connect, {"--endless", "220200"}, NoClick, "kept sending", false,
        quick + endless);
    row("connect: BUFFER FULL", Connect, {"--buffer-full", "1800FF00"}, NoClick, "BUFFER FULL",
        true, quick);
    for (const char* unplug :
         {"ATZ:5", "ATCAF1:4", "22E21A:12", "22E219:20", "220200:15", "1800FF00:25"})
        row(QStringLiteral("connect: unplugged in the answer to %1").arg(QLatin1String(unplug)),
            Connect, {"--unplug", unplug}, NoClick, lost, false, quick);

    // View DTC, once connected
    row("view: NO DATA", View, {"--no-data", "1800FF00"}, NoClick, "NO DATA", true, quick);
    row("view: NO DATA once", View, {"--no-data-once", "1800FF00"}, NoClick, "", true, quick);
    row("view: ERR94", View, {"--err94", "1800FF00"}, NoClick, "ERR94", false, quick);
    row("view: negative response", View, {"--negative", "18:31"}, NoClick, "refused", true, quick);
    row("view: pending within the time-out", View, {"--pending", "1800FF00:3"}, NoClick, "", true,
        quick);
    row("view: pending beyond the time-out", View, {"--pending-late", "1800FF00"}, NoClick, "busy",
        true, silence);
    row("view: STOPPED", View, {"--stopped", "1800FF00"}, NoClick, "STOPPED", true, quick);
    row("view: strict adapter", View, {"--strict"}, NoClick, "", true, quick);
    row("view: busy without end", View, {"--pending-forever", "1800FF00"}, NoClick,
        "kept saying it was busy", true, pendingChain);
    row("view: endless noise", View, {"--endless", "1800FF00"}, NoClick, "kept sending", false,
        endless);
    row("view: a frame lost", View, {"--drop-frame", "1"}, NoClick, "incomplete", true, quick);
    row("view: CAN ERROR", View, {"--can-error", "1800FF00"}, NoClick, "CAN ERROR", true, quick);
    row("view: BUFFER FULL", View, {"--buffer-full", "1800FF00"}, NoClick, "BUFFER FULL", true,
        quick);
    row("view: bytes one by one, line feeds on", View, {"--split", "--linefeeds"}, NoClick, "",
        true, quick);
    row("view: list count disagrees", View, {"--list-count", "9"}, NoClick, "incomplete", true,
        quick);
    // Frames damaged on the way: only whole frames are read, and the list says it is short.
    for (const Step step : {Connect, View}) {
        const QString at = step == Connect ? QStringLiteral("connect: ") : QStringLiteral("view: ");
        row(at + "the first frame lost", step, {"--drop-frame", "0"}, NoClick, "incomplete", true,
            quick);
        row(at + "the first frame cut short", step, {"--cut-frame", "0"}, NoClick, "incomplete",
            true, quick);
        row(at + "a frame cut short", step, {"--cut-frame", "1"}, NoClick, "incomplete", true,
            quick);
        row(at + "a frame with DATA ERROR", step,
            {"--personality", "busy-bus", "--error-frame", "1"}, NoClick, "incomplete", true,
            quick);
        row(at + "a padded frame a byte short", step, {"--padding", "00", "--drop-byte", "1"},
            NoClick, "incomplete", true, quick);
    }
    row("view: leftover frames", View, {"--late-line", "728 21 80 20 D9 00 20 "}, NoClick, "", true,
        quick);
    row("view: silent adapter", View, {"--silent"}, NoClick, "stopped answering", false, silence);
    row("view: unplugged", View, {"--unplug", "1800FF00:25"}, NoClick, lost, false, quick);

    // Clear DTC, once connected. Only a refusal says the codes were not erased.
    const QString noConfirmation = QStringLiteral("No confirmation came: press View DTC");
    row("clear: NO DATA", Clear, {"--no-data", "14FF00"}, NoClick, noConfirmation, true, quick);
    row("clear: negative response", Clear, {"--negative", "14:22"}, NoClick, "not erased", true,
        quick);
    row("clear: pending within the time-out", Clear, {"--pending", "14FF00:2"}, NoClick, "", true,
        quick);
    row("clear: pending beyond the time-out", Clear, {"--pending-late", "14FF00"}, NoClick,
        noConfirmation, true, silence);
    row("clear: STOPPED", Clear, {"--stopped", "14FF00"}, NoClick, noConfirmation, true, quick);
    row("clear: busy without end", Clear, {"--pending-forever", "14FF00"}, NoClick, noConfirmation,
        true, pendingChain);
    row("clear: endless noise", Clear, {"--endless", "14FF00"}, NoClick, noConfirmation, false,
        endless);
    row("clear: DATA ERROR inside the answer", Clear, {"--error-answer", "14FF00"}, NoClick,
        "is not known", true, quick);
    row("clear: CAN ERROR", Clear, {"--can-error", "14FF00"}, NoClick, noConfirmation, true, quick);
    row("clear: the count read back fails", Clear, {"--no-data", "220200"}, NoClick,
        "reading them back failed", true, quick);
    row("clear: the list read back fails", Clear, {"--negative", "18:22"}, NoClick,
        "reading them back failed", true, quick);
    row("clear: silent adapter", Clear, {"--silent"}, NoClick, noConfirmation, false, silence);
    row("clear: unplugged after the request", Clear, {"--unplug", "14FF00:10"}, NoClick,
        noConfirmation, false, quick);
    // After the echo "14FF00\r": "728 03 54" by byte 16, the whole frame but its CR by 23.
    for (const char* at : {"14FF00:16", "14FF00:23"})
        row(QStringLiteral("clear: unplugged inside the positive answer, %1")
                .arg(QLatin1String(at)),
            Clear, {"--unplug", at}, NoClick, "is not known", false, quick);
    row("clear: unplugged after the positive answer", Clear, {"--unplug", "14FF00:24"}, NoClick,
        "reading them back failed", false, quick);

    // Clicks while a wait runs (the answer is held back by "busy, pending")
    // A second click on Connect, or Escape, stops the wait; Clear's, once sent, is not stopped.
    row("click Connect during the attempt", Connect, {"--reset-delay", "500"}, ClickConnect, "",
        false, quick);
    row("Escape during the attempt", Connect, {"--reset-delay", "2000"}, ClickEscape, "", false,
        quick);
    row("Escape during the list", View, {"--pending-late", "1800FF00"}, ClickEscape, "", false,
        quick);
    row("Escape during the clear", Clear, {"--pending-late", "14FF00"}, ClickEscape, noConfirmation,
        true, silence);
    row("wifi: Escape while the connection is made", Connect, {"--tcp-stalled"}, ClickEscape, "",
        false, quick);
    row("click Disconnect during the list", View, {"--pending-late", "1800FF00"}, ClickDisconnect,
        "", false, quick);
    row("click Disconnect while busy without end", View, {"--pending-forever", "1800FF00"},
        ClickDisconnect, "", false, quick);
    row("click Disconnect during endless noise", View, {"--endless", "1800FF00"}, ClickDisconnect,
        "", false, quick);
    row("click View during the list", View, {"--pending-late", "1800FF00"}, ClickView, "busy", true,
        silence);
    row("click Clear during the list", View, {"--pending-late", "1800FF00"}, ClickClear, "busy",
        true, silence);
    row("click Setup during the clear", Clear, {"--pending-late", "14FF00"}, ClickSetup,
        noConfirmation, true, silence);
    row("click Disconnect during the clear", Clear, {"--pending-late", "14FF00"}, ClickDisconnect,
        noConfirmation, true, silence);
    row("click About during the clear", Clear, {"--pending-late", "14FF00"}, ClickAbout,
        noConfirmation, true, silence);
    row("click Setup during the list", View, {"--pending-late", "1800FF00"}, ClickSetup, "", false,
        quick);
    row("click Connect during the identification", Connect, {"--pending-late", "22E21A"},
        ClickConnect, "", false, quick);
    row("click Exit during the clear", Clear, {"--pending-late", "14FF00"}, ClickExit, "", false,
        silence);
    row("click Setup during the attempt", Connect, {"--reset-delay", "2000"}, ClickSetup, "", false,
        quick);
    row("click Exit during the attempt", Connect, {"--reset-delay", "2000"}, ClickExit, "", false,
        quick);
    row("click Exit during the list", View, {"--pending-late", "1800FF00"}, ClickExit, "", false,
        quick);

    // A WiFi adapter (network): the same exchange over TCP on 127.0.0.1
    const QString nobody = QStringLiteral("No adapter answers at 127.0.0.1:");
    row("wifi: connect and list", Connect, {"--tcp"}, NoClick, "", true, quick);
    row("wifi: clear", Clear, {"--tcp"}, NoClick, "", true, quick);
    row("wifi: adapter gone mid-answer", View, {"--tcp", "--unplug", "1800FF00:20"}, NoClick, lost,
        false, quick);
    row("wifi: nobody listening", Connect, {"--tcp-nobody"}, NoClick, nobody, false, quick);
    row("wifi: accepts and never answers", Connect, {"--tcp", "--silent"}, NoClick, timeout, false,
        timed);
    row("wifi: a name that cannot resolve", Connect, {"--tcp-host", "no..such.host"}, NoClick,
        "No adapter answers at no..such.host:", false, quick);
    row("wifi: click Setup while the connection is made", Connect, {"--tcp-stalled"}, ClickSetup,
        "", false, quick);

    // A Bluetooth adapter: the socket the Bluetooth service's stand-in hands over
    const int page = 1000 + int(vorkel::BluetoothConnectMs * QuickTime);
    row("bluetooth: connect and list", Connect, {"--bluetooth"}, NoClick, "", true, quick);
    row("bluetooth: clear", Clear, {"--bluetooth"}, NoClick, "", true, quick);
    row("bluetooth: never answers over the radio", Connect, {"--bluetooth", "--bt-no-page"},
        NoClick, "did not answer over the radio", false, quick + page);
    row("bluetooth: no longer paired", Connect, {"--bluetooth", "--bt-unpaired"}, NoClick,
        "is not paired", false, quick);
    row("bluetooth: switched off", Connect, {"--bluetooth", "--bt-off"}, NoClick,
        "Bluetooth is switched off", false, quick);
    row("bluetooth: no adapter in the computer", Connect, {"--bluetooth", "--bt-no-adapter"},
        NoClick, "no Bluetooth adapter", false, quick);
    row("bluetooth: no Bluetooth service", Connect, {"--bluetooth", "--bt-no-service"}, NoClick,
        "service is not running", false, quick);
    const QString other = QStringLiteral("by another program");
    row("bluetooth: another program holds the adapter", Connect, {"--bluetooth", "--bt-held"},
        NoClick, other, false, quick);
    row("bluetooth: another program is connecting it", Connect, {"--bluetooth", "--bt-in-progress"},
        NoClick, other, false, quick);
    const int mute = 1000 + 2 * 5000; // the log's name, then the devices: each awaited 5 s
    row("bluetooth: the service holds its name, answers nothing", Connect,
        {"--bluetooth", "--bt-mute"}, NoClick, "service does not answer", false, quick + mute);
    row("bluetooth: click Connect while the service is asked", Connect,
        {"--bluetooth", "--bt-mute"}, ClickConnect, "", false, quick + mute);
    row("bluetooth: the link dropped mid-answer", View, {"--bluetooth", "--unplug", "1800FF00:20"},
        NoClick, lost, false, quick);
    row("bluetooth: click Setup while the radio pages", Connect, {"--bluetooth", "--bt-no-page"},
        ClickSetup, "", false, quick);
}
