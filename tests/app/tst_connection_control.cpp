#include "app/form1.h"
#include "common/bluetooth.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
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
using windowdriver::Click;
using windowdriver::ListLines;
using windowdriver::VerifyDisconnected;
using windowdriver::WhenTrue;
using windowdriver::WorkedExample;

namespace {

vorkelsim::SimOptions Sim(const QStringList& arguments) {
    return SimFromArguments(arguments);
}

QStringList Descriptions(int n) {
    return KnownDescriptionLines().mid(0, std::min(n, 20));
}

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
    void viewFailureKeepsTheConnection();
    void bluetoothLinkIsOursAlone_data();
    void bluetoothLinkIsOursAlone();

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
    const QString expected = QStringLiteral("Diagnostic trouble codes (DTC)\nDTC count: 3\n") +
                             WorkedExample.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QApplication::clipboard()->clear();
    form.DTC_List->setFocus();
    QTest::keyClick(form.DTC_List, Qt::Key_C, Qt::ControlModifier);
    // The job card as text: what it is and the car, then these lines as they always were.
    QVERIFY(QApplication::clipboard()->text().startsWith(
        QStringLiteral("Instrument cluster trouble code report\n\nCar\nCluster type: BA Futura\n"
                       "Cluster part number: 3R23-10849-BA\n")));
    QVERIFY(QApplication::clipboard()->text().contains(expected));
    QApplication::clipboard()->clear();
    QVERIFY(form.DTC_List->actions().contains(form.mnu_Copy));
    QCOMPARE(form.DTC_List->contextMenuPolicy(), Qt::ActionsContextMenu);
    form.mnu_Copy->trigger();
    QVERIFY(QApplication::clipboard()->text().contains(expected));
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
        << "38400" << QStringList{"--baud", "9600", "--latency", "200"}
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
        // The COM port was given for this run (--com) over a saved WiFi adapter:
        // the speed is saved, and the rest of the file as the user saved it.
        QTemporaryDir folder;
        const QString savedIni = IniFilePath;
        IniFilePath = folder.filePath(QStringLiteral("VORKEL.INI"));
        const auto restore = qScopeGuard([&savedIni] { IniFilePath = savedIni; });
        QFile ini(IniFilePath);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("VORKEL v1.00 INI File\r\nComPort=COM3\r\nComSpeed=9600\r\n"
                  "Network=192.168.0.10:35000\r\n");
        ini.close();
        said.action();
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), "VORKEL v1.00 INI File\r\nComPort=COM3\r\nComSpeed=" +
                                    arguments.at(found).toLatin1() +
                                    "\r\nNetwork=192.168.0.10:35000\r\n");
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

void TestConnectionControl::bluetoothLinkIsOursAlone_data() {
    QTest::addColumn<bool>("secondClient");
    // The service keeps its copy of the socket: only DisconnectProfile ends the link.
    QTest::newRow("Disconnect, then Connect again") << false;
    // Another program's attempt meets AlreadyConnected and leaves our link alone.
    QTest::newRow("a second client while connected") << true;
}

void TestConnectionControl::bluetoothLinkIsOursAlone() {
    QFETCH(bool, secondClient);
    WindowOnSim rig({});
    auto& [fixture, form, messages] = rig;
    BluetoothAdapter = fixture.useBluetooth();
    Click(form.Connect_Command);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    if (secondClient) {
        const bool cancel = false;
        const BluetoothConnection other = ConnectBluetooth(BluetoothAdapter, 2000, cancel);
        QVERIFY(!other.channel);
        QVERIFY2(other.failure.contains(QLatin1String("by another program")),
                 qPrintable(other.failure));
        QCOMPARE(fixture.bluez()->Disconnects(), 0);
        Click(form.Command1);
        QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    } else {
        Click(form.Connect_Command);
        QTRY_COMPARE_WITH_TIMEOUT(fixture.bluez()->LinkUp(), false, 2000);
        Click(form.Connect_Command);
        QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    }
    QCOMPARE(ListLines(form), WorkedExample);
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
    BluetoothAdapter.clear();
}

VORKEL_TEST_MAIN_IN_PARTS(TestConnectionControl)
#include "tst_connection_control.moc"
