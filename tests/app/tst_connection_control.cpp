#include "app/form1.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "link/exchange.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/test_parts.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

using namespace vorkel;
using windowdriver::ListLines;
using windowdriver::WhenTrue;

namespace {

vorkelsim::SimOptions Sim(const QStringList& arguments) {
    return SimFromArguments(arguments);
}

QStringList Descriptions(int n) {
    return KnownDescriptionLines().mid(0, std::min(n, 20));
}

const QStringList WorkedExample{"B1201,Fuel Sender Circuit Failure", "B2680,Odometer Changed",
                                "U1900,CAN Comms Bus Fault Receive Error"};

// A window on a simulated adapter made from vorkel-sim's arguments, its
// messages recorded.
struct WindowOnSim {
    explicit WindowOnSim(const QStringList& arguments) : fixture(Sim(arguments)) {
        windowdriver::Start(form, fixture.comPort());
    }
    SimFixture fixture;
    Form1 form;
    MessageRecorder messages;
};

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// A window in the disconnected state of the start-up table, its port closed.
void VerifyDisconnected(Form1& form) {
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Connect"));
    QCOMPARE(form.StatusBar1->panelText(1), QString());
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Not Connected"));
    QVERIFY(!form.Command1->isEnabled());
    QVERIFY(!form.DTC_Clear_Button->isEnabled());
    QVERIFY(!form.MSComm1->PortOpen());
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(!form.ExchangeRunning());
    QVERIFY(!QApplication::overrideCursor());
}

} // namespace

class TestConnectionControl : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
    void listsCodes_data();
    void listsCodes();
    void everyPersonality_data();
    void everyPersonality();
    void lostFrameListsWhatCame_data();
    void lostFrameListsWhatCame();
    void copyResult();
    void speedSearch_data();
    void speedSearch();
    void wifiAdapterThroughSocat();
    void viewTwiceRebuildsTheList();
    void clearErasesEverything();
    void clearWithACodeLeft();
    void clearRefused_data();
    void clearRefused();
    void disconnectAndConnectAgain_data();
    void disconnectAndConnectAgain();
    void timeOutOnceThenConnect();
    void countAndListDisagree_data();
    void countAndListDisagree();
    void shortReplyEndsAtThePrompt();
    void failedAttemptSendsNothingMore();
    void secondConnectClickIsIgnored();
    void disconnectDuringAWaitEndsIt();
    void viewAndClearWaitTheirTurn();
    void exitDuringAWait();
    void busyCursorWhileWaiting();
    void unplugWhileReading();
    void viewFailureKeepsTheConnection();

  private:
    std::optional<ScopedTimeScale> m_scale; // every row runs at the quick factor
};

void TestConnectionControl::listsCodes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("dtcCount");
    QTest::newRow("none") << QStringList{"--codes", ""} << "0" << QStringList{} << 0;
    QTest::newRow("one, single frame")
        << QStringList{"--codes", "9317"} << "1" << QStringList{"B1317,Battery Voltage High"} << 1;
    QTest::newRow("three, the worked example") << QStringList{} << "3" << WorkedExample << 3;
    for (int n : {2, 5, 19, 20, 25})
        QTest::newRow(QByteArray::number(n).constData())
            << QStringList{"--code-count", QString::number(n)} << QString::number(n)
            << Descriptions(n) << n;
    QTest::newRow("unknown codes in their J2012 form")
        << QStringList{"--codes", "9201,1234,D900"} << "3"
        << QStringList{"B1201,Fuel Sender Circuit Failure", "P1234,Description not known",
                       "U1900,CAN Comms Bus Fault Receive Error"}
        << 3;
    QTest::newRow("padded frames") << QStringList{"--padding", "00"} << "3" << WorkedExample << 3;
    QTest::newRow("line feeds on, bytes one by one")
        << QStringList{"--linefeeds", "--split"} << "3" << WorkedExample << 3;
    // Other control units' frames before, between and after the cluster's.
    for (int n : {1, 3, 20})
        QTest::newRow(qPrintable(QStringLiteral("busy bus, %1").arg(n)))
            << QStringList{"--personality", "busy-bus", "--code-count", QString::number(n)}
            << QString::number(n) << Descriptions(n) << n;
}

void TestConnectionControl::listsCodes() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, count);
    QFETCH(QStringList, lines);
    QFETCH(int, dtcCount);
    SimFixture fixture(Sim(arguments));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Click(form.Connect_Command);
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Disconnect"));
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(form.DTC_label->text(), count);
    QCOMPARE(ListLines(form), lines);
    const QStringList commands = fixture.commands();
    QCOMPARE(commands.count(QStringLiteral("220200")), 2);
    if (count == QLatin1String("0")) {
        QVERIFY(!form.Command1->isEnabled());
        QVERIFY(!form.DTC_Clear_Button->isEnabled());
        QVERIFY(!commands.contains(QStringLiteral("1800ff00")));
    } else {
        QVERIFY(form.Command1->isEnabled());
        QVERIFY(form.DTC_Clear_Button->isEnabled());
        QCOMPARE(commands.last(), QStringLiteral("1800ff00"));
        QCOMPARE(int(DtcCount), dtcCount);
        for (int k = 21; k <= 25; ++k)
            QVERIFY(DtcCodes[static_cast<std::size_t>(k)].isEmpty());
    }
    QVERIFY(!form.ExchangeRunning());
    QVERIFY(!QApplication::overrideCursor());
}

void TestConnectionControl::everyPersonality_data() {
    QTest::addColumn<QStringList>("arguments");
    for (const char* personality :
         {"genuine", "clone15", "clone21", "stn", "bt-slow", "busy-bus"}) {
        const QStringList base{"--personality", personality, "--keep-after-clear", "9317"};
        QTest::newRow(personality) << base;
        QTest::newRow(qPrintable(QStringLiteral("%1, latency").arg(QLatin1String(personality))))
            << base + QStringList{"--latency", "100"};
        QTest::newRow(qPrintable(QStringLiteral("%1, split").arg(QLatin1String(personality))))
            << base + QStringList{"--split"};
    }
}

void TestConnectionControl::everyPersonality() {
    QFETCH(QStringList, arguments);
    WindowOnSim rig(arguments);
    auto& [fixture, form, messages] = rig;
    Click(form.Connect_Command);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(form.StatusBar1->panelText(1), fixture.sim().Adapter().Options().banner);
    QCOMPARE(form.Part_Label->text(), QStringLiteral("3R23-10849-BA"));
    QCOMPARE(ListLines(form), WorkedExample);
    Click(form.Command1);
    QCOMPARE(ListLines(form), WorkedExample);
    Click(form.DTC_Clear_Button);
    QCOMPARE(form.DTC_label->text(), QStringLiteral("1"));
    QCOMPARE(ListLines(form), QStringList{"B1317,Battery Voltage High"});
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
    // Every command went out with CR alone.
    QVERIFY(!fixture.sim().Received().contains('\n'));
}

void TestConnectionControl::lostFrameListsWhatCame_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("first consecutive frame lost")
        << QStringList{"--code-count", "20", "--drop-frame", "1"} << Descriptions(1);
    QTest::newRow("second lost, busy bus")
        << QStringList{"--personality", "busy-bus", "--code-count", "20", "--drop-frame", "2"}
        << Descriptions(4);
    QTest::newRow("last of three lost")
        << QStringList{"--code-count", "5", "--drop-frame", "2"} << Descriptions(4);
}

void TestConnectionControl::lostFrameListsWhatCame() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);
    WindowOnSim rig(arguments);
    auto& [fixture, form, messages] = rig;
    Click(form.Connect_Command);
    QCOMPARE(ListLines(form), lines);
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().contains(QStringLiteral("incomplete")));
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
}

void TestConnectionControl::copyResult() {
    WindowOnSim rig({});
    auto& [fixture, form, messages] = rig;
    Click(form.Connect_Command);
    const QString expected =
        QStringLiteral("Cluster part number: 3R23-10849-BA\nCluster type: BA Futura\n"
                       "DTC count: 3\n") +
        WorkedExample.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QApplication::clipboard()->clear();
    form.DTC_List->setFocus();
    QTest::keyClick(form.DTC_List, Qt::Key_C, Qt::ControlModifier);
    // The job card as text: its head, then these lines as they always were.
    QVERIFY(
        QApplication::clipboard()->text().startsWith(QStringLiteral("VORKEL 1.0.0 job card\n")));
    QVERIFY(QApplication::clipboard()->text().endsWith(expected));
    QApplication::clipboard()->clear();
    QVERIFY(form.DTC_List->actions().contains(form.mnu_Copy));
    QCOMPARE(form.DTC_List->contextMenuPolicy(), Qt::ActionsContextMenu);
    form.mnu_Copy->trigger();
    QVERIFY(QApplication::clipboard()->text().endsWith(expected));
    // Nothing in the window changed.
    QCOMPARE(ListLines(form), WorkedExample);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QVERIFY(messages.texts().isEmpty());
}

void TestConnectionControl::wifiAdapterThroughSocat() {
    // A WiFi adapter listens on TCP; socat gives it a serial line as COM5.
    vorkelsim::PtyAdapter wifi(FastAdapter());
    QVERIFY2(wifi.StartTcp(0), qPrintable(wifi.ErrorString()));
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    QVERIFY2(!socat.isEmpty(), "socat is missing: scripts/install-deps --tests installs it");
    SimFixture serial(FastAdapter()); // its ports folder, for the program's port links
    const QString link = QDir(serial.portsDir()).filePath(QStringLiteral("COM5"));
    QProcess bridge;
    bridge.start(socat, {QStringLiteral("pty,link=%1,raw,echo=0").arg(link),
                         QStringLiteral("tcp:127.0.0.1:%1").arg(wifi.TcpPort())});
    QVERIFY(bridge.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).exists(), 5000);
    Form1 form;
    windowdriver::Start(form, 5);
    MessageRecorder messages;
    Click(form.Connect_Command);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(ListLines(form), WorkedExample);
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
    Click(form.Connect_Command);
    bridge.terminate();
    QVERIFY(bridge.waitForFinished(5000));
}

void TestConnectionControl::speedSearch_data() {
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("advice");
    QTest::newRow("adapter at 38400, set to 9600")
        << "9600" << QStringList{"--baud", "38400"}
        << "The adapter answers at 38400 baud: choose 38400 in Setup.";
    QTest::newRow("adapter at 115200, set to 9600")
        << "9600" << QStringList{"--baud", "115200"}
        << "The adapter answers at 115200 baud: choose 115200 in Setup.";
    QTest::newRow("a slow adapter at 9600, set to 38400")
        << "38400" << QStringList{"--baud", "9600", "--latency", "300"}
        << "The adapter answers at 9600 baud: choose 9600 in Setup.";
    QTest::newRow("adapter at 57600") << "38400" << QStringList{"--baud", "57600"}
                                      << "The adapter answers at 57600 baud, which Setup does not "
                                         "list: press \"Use 57600 baud\" to save it.";
    QTest::newRow("silent adapter")
        << "9600" << QStringList{"--silent"}
        << "Nothing answered at 9600, 19200, 38400, 57600 or 115200 baud: check the cable, the "
           "ignition and the port.";
    QTest::newRow("silent adapter, a hand-edited 4800")
        << "4800" << QStringList{"--silent"}
        << "Nothing answered at 4800, 9600, 19200, 38400, 57600 or 115200 baud: check the cable, "
           "the ignition and the port.";
    QTest::newRow("a modem at the port")
        << "38400" << QStringList{"--modem"}
        << "The device at this port is not an ELM327-type adapter (it answers like a modem): "
           "choose the adapter's port in Setup.";
    QTest::newRow("a speed-blind link, a reset answered late")
        << "38400" << QStringList{"--reset-delay", "6500"}
        << "The adapter answers at 38400 baud, but its reset took longer than 6 s: unplug the "
           "adapter and plug it in again (a Bluetooth or WiFi adapter: wait until it is paired), "
           "then press Connect.";
}

void TestConnectionControl::speedSearch() {
    QFETCH(QString, configured);
    QFETCH(QStringList, arguments);
    QFETCH(QString, advice);
    SimFixture fixture(Sim(arguments));
    const auto other = fixture.addPort(12);
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    CommSpeed = configured;
    MessageRecorder messages;
    QElapsedTimer clock;
    clock.start();
    Click(form.Connect_Command);
    // The message comes at most 8 s after the click: the 6 s time-out, then the search.
    QVERIFY2(clock.elapsed() <= 8000, qPrintable(QString::number(clock.elapsed())));
    VerifyDisconnected(form);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Unable to Connect To ELM")});
    QCOMPARE(messages.messages().first().informative, advice);
    // The settings are not changed behind the user's back, and no other port is touched.
    QCOMPARE(CommSpeed, configured);
    // A speed found is one click away, saved as Setup saves it.
    const Message& said = messages.messages().first();
    const qsizetype found = arguments.indexOf(QStringLiteral("--baud")) + 1;
    if (found > 0 && arguments.at(found) != configured) {
        QCOMPARE(said.actionCaption, QStringLiteral("Use %1 baud").arg(arguments.at(found)));
        said.action();
        QCOMPARE(CommSpeed, arguments.at(found));
        QCOMPARE(form.StatusBar1->panelText(2),
                 QStringLiteral("COM %1 / %2").arg(fixture.comPort()).arg(arguments.at(found)));
    } else {
        QVERIFY(said.actionCaption.isEmpty());
    }
    QVERIFY(other->Received().isEmpty());
    // Only the reset and the harmless "ATI" went to the adapter: never a lone CR.
    for (const QString& command : fixture.commands())
        QVERIFY2(command == QLatin1String("atz") || command == QLatin1String("ATI") ||
                     arguments.contains(QLatin1String("--modem")),
                 qPrintable(command));
}

void TestConnectionControl::viewTwiceRebuildsTheList() {
    SimFixture fixture(Sim({}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Click(form.Connect_Command);
    Click(form.Command1);
    Click(form.Command1);
    QCOMPARE(ListLines(form), WorkedExample);
    QCOMPARE(fixture.commands().count(QStringLiteral("1800ff00")), 3);
    QVERIFY(messages.texts().isEmpty());
}

void TestConnectionControl::clearErasesEverything() {
    SimFixture fixture(Sim({}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Click(form.Connect_Command);
    fixture.sim().ClearReceived();
    Click(form.DTC_Clear_Button);
    QCOMPARE(fixture.commands(), (QStringList{"14FF00", "220200", "1800ff00"}));
    QCOMPARE(form.DTC_label->text(), QStringLiteral("0"));
    QCOMPARE(form.DTC_label->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    QVERIFY(!form.Command1->isEnabled());
    QVERIFY(!form.DTC_Clear_Button->isEnabled());
    QCOMPARE(form.DTC_List->count(), 0);
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Disconnect"));
    QVERIFY(messages.texts().isEmpty());
}

void TestConnectionControl::clearWithACodeLeft() {
    SimFixture fixture(Sim({"--keep-after-clear", "9317"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Click(form.Connect_Command);
    Click(form.DTC_Clear_Button);
    QCOMPARE(form.DTC_label->text(), QStringLiteral("1"));
    QCOMPARE(form.DTC_label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(form.Command1->isEnabled());
    QVERIFY(form.DTC_Clear_Button->isEnabled());
    QCOMPARE(ListLines(form), QStringList{"B1317,Battery Voltage High"});
}

void TestConnectionControl::clearRefused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("negative response")
        << QStringList{"--negative", "14:22"} << "conditions not correct"
        << "The codes were not erased.";
    QTest::newRow("no data") << QStringList{"--no-data", "14FF00"} << "NO DATA"
                             << "No confirmation came: press View DTC to see what is left";
}

void TestConnectionControl::clearRefused() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QFETCH(QString, outcome);
    SimFixture fixture(Sim(arguments));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Click(form.Connect_Command);
    QVERIFY(messages.texts().isEmpty());
    Click(form.DTC_Clear_Button);
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().contains(outcome));
    QVERIFY2(messages.texts().first().contains(reason), qPrintable(messages.texts().first()));
    // Count, list and buttons as they were; still connected.
    QCOMPARE(form.DTC_label->text(), QStringLiteral("3"));
    QCOMPARE(ListLines(form), WorkedExample);
    QVERIFY(form.Command1->isEnabled());
    QVERIFY(form.DTC_Clear_Button->isEnabled());
    QVERIFY(form.MSComm1->PortOpen());
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
}

void TestConnectionControl::disconnectAndConnectAgain_data() {
    QTest::addColumn<bool>("wifiDropped"); // a WiFi adapter that dropped the connection unnoticed
    QTest::newRow("COM port") << false;
    QTest::newRow("WiFi, dropped just before") << true;
}

void TestConnectionControl::disconnectAndConnectAgain() {
    QFETCH(bool, wifiDropped);
    SimFixture fixture(Sim({}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    if (wifiDropped) NetworkAdapter = fixture.useTcp();
    MessageRecorder messages;
    Click(form.Connect_Command);
    fixture.sim().ClearReceived();
    if (wifiDropped) fixture.sim().Unplug(); // the user's Disconnect is the one reason told
    Click(form.Connect_Command);             // "Disconnect"
    VerifyDisconnected(form);
    QCOMPARE(form.ClusterInfotext->text(), QString());
    QCOMPARE(form.DTC_label->text(), QString());
    QCOMPARE(form.Part_Label->text(), QStringLiteral("3R23-10849-BA"));
    QCOMPARE(ListLines(form), WorkedExample);
    QVERIFY(fixture.sim().Received().isEmpty()); // nothing is sent before the port closes
    Click(form.Connect_Command);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(fixture.commands().first(), QStringLiteral("atz"));
    QCOMPARE(ListLines(form), WorkedExample);
    QVERIFY(messages.texts().isEmpty());
    NetworkAdapter.clear();
}

void TestConnectionControl::timeOutOnceThenConnect() {
    SimFixture fixture(Sim({"--silent"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    QElapsedTimer clock;
    clock.start();
    Click(form.Connect_Command);
    QVERIFY(clock.elapsed() <= 8000);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Unable to Connect To ELM")});
    QCOMPARE(messages.messages().first().title, QStringLiteral("Error!"));
    QCOMPARE(messages.messages().first().icon, MessageIcon::Critical);
    // The reset, then the speed search at the four other speeds.
    QCOMPARE(fixture.commands(), (QStringList{"atz", "ATI", "ATI", "ATI", "ATI"}));
    VerifyDisconnected(form);
    QTest::qWait(300);
    QCOMPARE(messages.texts().size(), 1); // once per attempt
    fixture.replace(Sim({}));
    Click(form.Connect_Command);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(ListLines(form), WorkedExample);
    QCOMPARE(messages.texts().size(), 1);
}

void TestConnectionControl::countAndListDisagree_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("lines");
    // The count says one code, the list reply holds three in a first frame.
    QTest::newRow("count 1, list of 3")
        << QStringList{"--count-reports", "1"} << "1" << WorkedExample;
    // The count says three, the list reply is a single frame with one code.
    QTest::newRow("count 3, list of 1") << QStringList{"--codes", "9317", "--count-reports", "3"}
                                        << "3" << QStringList{"B1317,Battery Voltage High"};
    QTest::newRow("count 2, list empty")
        << QStringList{"--codes", "", "--count-reports", "2"} << "2" << QStringList{};
}

void TestConnectionControl::countAndListDisagree() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, count);
    QFETCH(QStringList, lines);
    SimFixture fixture(Sim(arguments));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    QElapsedTimer clock;
    clock.start();
    Click(form.Connect_Command);
    QVERIFY(clock.elapsed() < 4000); // no wait for lines that never come
    QCOMPARE(form.DTC_label->text(), count);
    QCOMPARE(ListLines(form), lines);
    QVERIFY(messages.texts().isEmpty());
}

void TestConnectionControl::shortReplyEndsAtThePrompt() {
    // The reply's count byte says 5 but it holds three codes: two frames, not three,
    // and the list says it is short.
    SimFixture fixture(Sim({"--list-count", "5", "--count-reports", "5"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    DtcCodes[5] = QStringLiteral("9318"); // left from an earlier, longer reply
    QElapsedTimer clock;
    clock.start();
    Click(form.Connect_Command);
    QVERIFY(clock.elapsed() < 4000);
    QCOMPARE(ListLines(form), WorkedExample);
    QCOMPARE(int(DtcCount), 5);
    QVERIFY(DtcCodes[5].isEmpty());
    // The two codes the count byte claims beyond the frames are said to be missing.
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().contains(QStringLiteral("incomplete")));
}

void TestConnectionControl::failedAttemptSendsNothingMore() {
    SimFixture fixture(Sim({}));
    Form1 form;
    windowdriver::Start(form, 9); // nothing on COM9
    MessageRecorder messages;
    Click(form.Connect_Command);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("ERROR! Comm Port is either in use or not found!")});
    QVERIFY(fixture.sim().Received().isEmpty());
    VerifyDisconnected(form);
    QCOMPARE(AdapterState, AdapterNotInitialised);
}

void TestConnectionControl::secondConnectClickIsIgnored() {
    SimFixture fixture(Sim({"--reset-delay", "600"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    WhenTrue(
        &form, [&] { return form.StatusBar1->panelText(3) == QLatin1String("Connecting..."); },
        [&] { Click(form.Connect_Command); });
    Click(form.Connect_Command);
    QCOMPARE(fixture.commands().count(QStringLiteral("atz")), 1);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QVERIFY(messages.texts().isEmpty());
}

void TestConnectionControl::disconnectDuringAWaitEndsIt() {
    // The list answer never comes: the cluster says "busy" and falls silent.
    SimFixture fixture(Sim({"--pending-late", "1800FF00"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    QElapsedTimer clock;
    qint64 clickedAt = -1;
    WhenTrue(
        &form, [&] { return fixture.commands().contains(QStringLiteral("1800ff00")); },
        [&] {
            clickedAt = clock.elapsed();
            Click(form.Connect_Command);
        });
    clock.start();
    Click(form.Connect_Command);
    QVERIFY(clickedAt >= 0);
    QVERIFY2(clock.elapsed() - clickedAt < 500,
             qPrintable(QString::number(clock.elapsed() - clickedAt)));
    VerifyDisconnected(form);
    QVERIFY(messages.texts().isEmpty());
}

void TestConnectionControl::viewAndClearWaitTheirTurn() {
    SimFixture fixture(Sim({"--pending-late", "1800FF00"}));
    const ScopedLinkLimits limits({1000, 2000, 3000, 1000});
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    WhenTrue(
        &form, [&] { return fixture.commands().contains(QStringLiteral("1800ff00")); },
        [&] {
            Click(form.DTC_Clear_Button);
            Click(form.Command1);
        });
    Click(form.Connect_Command);
    QVERIFY(!fixture.commands().contains(QStringLiteral("14FF00")));
    QCOMPARE(fixture.commands().count(QStringLiteral("1800ff00")), 1);
    // The busy cluster is reported once; the connection stays.
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().contains(QStringLiteral("busy")));
    QVERIFY(form.MSComm1->PortOpen());
    QVERIFY(form.Command1->isEnabled());
}

void TestConnectionControl::exitDuringAWait() {
    SimFixture fixture(Sim({"--reset-delay", "3000"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    bool ended = false;
    form.setExitAction([&] { ended = true; });
    MessageRecorder messages;
    WhenTrue(
        &form, [&] { return form.StatusBar1->panelText(3) == QLatin1String("Connecting..."); },
        [&] { Click(form.Command2); });
    QElapsedTimer clock;
    clock.start();
    Click(form.Connect_Command);
    QVERIFY(ended);
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(!form.MSComm1->PortOpen());
    QVERIFY(!form.isVisible());
    QVERIFY(messages.texts().isEmpty());
}

void TestConnectionControl::busyCursorWhileWaiting() {
    SimFixture fixture(Sim({"--reset-delay", "300"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Qt::CursorShape during = Qt::ArrowCursor;
    WhenTrue(
        &form, [&] { return form.StatusBar1->panelText(3) == QLatin1String("Connecting..."); },
        [&] {
            if (QApplication::overrideCursor()) during = QApplication::overrideCursor()->shape();
        });
    Click(form.Connect_Command);
    QCOMPARE(during, Qt::WaitCursor);
    QVERIFY(!QApplication::overrideCursor());
}

void TestConnectionControl::unplugWhileReading() {
    SimFixture fixture(Sim({"--unplug", "1800FF00:20"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Click(form.Connect_Command);
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().contains(QStringLiteral("lost")));
    VerifyDisconnected(form);
    fixture.replace(Sim({}));
    Click(form.Connect_Command);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
}

void TestConnectionControl::viewFailureKeepsTheConnection() {
    SimFixture fixture(Sim({}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    Click(form.Connect_Command);
    fixture.sim().Adapter().MutableOptions().noData.insert(QStringLiteral("1800FF00"));
    Click(form.Command1);
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().contains(QStringLiteral("NO DATA")));
    QVERIFY(form.MSComm1->PortOpen());
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QVERIFY(form.Command1->isEnabled());
}

VORKEL_TEST_MAIN_IN_PARTS(TestConnectionControl)
#include "tst_connection_control.moc"
