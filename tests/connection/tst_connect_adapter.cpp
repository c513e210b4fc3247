#include "app/window_steps.h"
#include "cluster/cluster_state.h"
#include "common/mscomm.h"
#include "common/pause.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "connection/adapter_connection.h"
#include "dtc/dtc_count.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/speed_search.h"
#include "support/link_rig.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/test_parts.h"
#include "support/time_scale.h"

#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QTimer>
#include <QtTest>
#include <optional>

using namespace vorkel;

namespace {

vorkelsim::SimOptions Sim(const QStringList& arguments) {
    return SimFromArguments(arguments);
}

struct Outcome {
    AdapterReading reading; // what the attempt read, when it did not fail
    bool failed = false;
    LinkFailure failure = LinkFailure::Unexpected;
    int responseCode = -1;
    qint64 elapsedMs = 0;
};

// One attempt, timed, and how it ended.
template <typename Attempt> Outcome Run(const Attempt& attempt) {
    Outcome outcome;
    QElapsedTimer clock;
    clock.start();
    try {
        outcome.reading = attempt();
    } catch (const LinkError& error) {
        outcome.failed = true;
        outcome.failure = error.failure();
        outcome.responseCode = error.responseCode();
    }
    outcome.elapsedMs = clock.elapsed();
    return outcome;
}

// The window's step, on the window's controls.
Outcome Connect(LinkRig& form) {
    return Run([&form] {
        ConnectAdapter(form.controls());
        return AdapterReading{};
    });
}

// The reading alone: a port and the reset's time-out, no window.
struct ReadingRig {
    MSComm comm;
    QTimer timeOut;
    ReadingRig() {
        QObject::connect(&timeOut, &QTimer::timeout, [this] {
            timeOut.stop();
            AdapterState = AdapterTimedOut;
        });
    }
};

Outcome Read(ReadingRig& rig) {
    return Run([&rig] { return ConnectToAdapter(rig.comm, rig.timeOut, NoView()); });
}

QColor TextColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestConnectAdapter : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        UseComPort(7);
        m_scale.emplace(QuickTime);
    }
    void cleanup() { m_scale.reset(); }
    void workedExample();
    void counts_data();
    void counts();
    void resultsSurviveAwkwardAdapters_data();
    void resultsSurviveAwkwardAdapters();
    void banner_data();
    void banner();
    void failures_data();
    void failures();
    void portMissing();
    void portMissingListsTheDevices();
    void portInUse();
    void silenceOutsideAnAttemptIsBounded();
    void unplugClosesThePortOnce();

  private:
    std::optional<ScopedTimeScale> m_scale;
};

void TestConnectAdapter::workedExample() {
    SimFixture fixture(Sim({}));
    LinkRig form;
    MessageRecorder messages;
    const Outcome outcome = Connect(form);
    QVERIFY(!outcome.failed);
    QCOMPARE(form.Part_Label->text(), QStringLiteral("3R23-10849-BA"));
    QCOMPARE(form.ClusterInfotext->text(), QStringLiteral("BA Futura"));
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Disconnect"));
    QCOMPARE(form.DTC_label->text(), QStringLiteral("3"));
    QCOMPARE(TextColour(form.DTC_label), QColor(255, 0, 0));
    QCOMPARE(form.StatusBar1->panelText(1), QStringLiteral("ELM327 v1.5"));
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(AdapterState, AdapterInitialised);
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(form.MSComm1->PortOpen());
    QCOMPARE(
        fixture.sim().Received(),
        QByteArray("atz\ratcaf1\ratspa6\ratsh720\rath1\r22e21a\r22e217\r22e219\r22e200\r220200\r"));
    QCOMPARE(PartPrefix, QStringLiteral("3R23"));
    QCOMPARE(PartBaseText, QStringLiteral("010849"));
    QVERIFY(messages.messages().isEmpty());
    // The whole attempt includes the four fixed pauses of 250 ms.
    QVERIFY(outcome.elapsedMs >= Scaled(1000));
}

void TestConnectAdapter::counts_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("count");
    QTest::newRow("none") << QStringList{"--codes", ""} << 0;
    QTest::newRow("three") << QStringList{} << 3;
    QTest::newRow("twelve") << QStringList{"--code-count", "12"} << 12;
    QTest::newRow("255") << QStringList{"--code-count", "255"} << 255;
    // Padding shown after the count byte is not read as more digits.
    QTest::newRow("three, padded with 00") << QStringList{"--padding", "00"} << 3;
    QTest::newRow("none, padded with AA") << QStringList{"--codes", "", "--padding", "AA"} << 0;
}

void TestConnectAdapter::counts() {
    QFETCH(QStringList, arguments);
    QFETCH(int, count);
    SimFixture fixture(Sim(arguments));
    ReadingRig rig;
    MessageRecorder messages;
    const Outcome outcome = Read(rig);
    QVERIFY(!outcome.failed);
    QCOMPARE(outcome.reading.count, count);
}

void TestConnectAdapter::resultsSurviveAwkwardAdapters_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("bytes one by one") << QStringList{"--split"};
    QTest::newRow("line feeds on") << QStringList{"--linefeeds"};
    QTest::newRow("junk before the banner") << QStringList{"--junk"};
    QTest::newRow("searching line") << QStringList{"--searching"};
    QTest::newRow("a late frame after every answer")
        << QStringList{"--late-line", "728 03 62 02 00 09 "};
    QTest::newRow("response pending within the time-out") << QStringList{"--pending", "*:2"};
    QTest::newRow("slow adapter") << QStringList{"--latency", "150", "--reset-delay", "800"};
    QTest::newRow("paced at 9600 baud") << QStringList{"--wire-baud", "9600"};
    QTest::newRow("padded frames") << QStringList{"--padding", "55"};
    QTest::newRow("a byte during a request stops it") << QStringList{"--strict"};
    QTest::newRow("busy bus") << QStringList{"--personality", "busy-bus", "--banner",
                                             "ELM327 v1.5"};
}

void TestConnectAdapter::resultsSurviveAwkwardAdapters() {
    QFETCH(QStringList, arguments);
    SimFixture fixture(Sim(arguments));
    ReadingRig rig;
    MessageRecorder messages;
    const Outcome outcome = Read(rig);
    QVERIFY2(!outcome.failed, qPrintable(QString::number(int(outcome.failure))));
    QCOMPARE(outcome.reading.cluster.partNumber, QStringLiteral("3R23-10849-BA"));
    QCOMPARE(outcome.reading.cluster.model, QStringLiteral("BA Futura"));
    QCOMPARE(outcome.reading.count, 3);
    QCOMPARE(outcome.reading.banner, QStringLiteral("ELM327 v1.5"));
    QVERIFY(messages.messages().isEmpty());
}

void TestConnectAdapter::banner_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("banner");
    QTest::newRow("genuine") << "atz\r\r\rELM327 v1.5\r\r>"
                             << "ELM327 v1.5";
    QTest::newRow("echo never shown") << "atz\r\r\rELM327 v2.1\r\r>"
                                      << "ELM327 v2.1";
    QTest::newRow("from the first ELM") << "atz\r\r\rMy ELM327 v2.1\r\r>"
                                        << "ELM327 v2.1";
    QTest::newRow("junk byte first") << "atz\r\xfc\r\rELM327 v1.5\r\r>"
                                     << "ELM327 v1.5";
    QTest::newRow("clone with one line end") << "atz\rELM327 v2.1\r>"
                                             << "ELM327 v2.1";
    QTest::newRow("no ELM") << "atz\r\r\rOBDII v1.5\r\r>"
                            << "OBDII v1.5";
    QTest::newRow("nothing but the prompt") << ">"
                                            << "";
}

void TestConnectAdapter::banner() {
    QFETCH(QString, answer);
    QFETCH(QString, banner);
    QCOMPARE(AdapterBanner(answer), banner);
}

void TestConnectAdapter::failures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("responseCode");
    QTest::addColumn<int>("boundMs");
    QTest::newRow("silent adapter")
        << QStringList{"--silent"} << int(LinkFailure::ConnectTimedOut) << -1 << 7000;
    QTest::newRow("wrong speed") << QStringList{"--baud", "9600"}
                                 << int(LinkFailure::ConnectTimedOut) << -1 << 7000;
    QTest::newRow("refuses atcaf1")
        << QStringList{"--refuse", "ATCAF1"} << int(LinkFailure::Refused) << -1 << 1000;
    QTest::newRow("refuses ath1") << QStringList{"--refuse", "ATH1"} << int(LinkFailure::Refused)
                                  << -1 << 1000;
    QTest::newRow("cluster silent")
        << QStringList{"--no-data", "*"} << int(LinkFailure::NoData) << -1 << 1500;
    QTest::newRow("no data for 22e219")
        << QStringList{"--no-data", "22E219"} << int(LinkFailure::NoData) << -1 << 2500;
    QTest::newRow("negative response")
        << QStringList{"--negative", "22:22"} << int(LinkFailure::NegativeResponse) << 0x22 << 1500;
    QTest::newRow("can error") << QStringList{"--can-error", "22E21A"} << int(LinkFailure::CanError)
                               << -1 << 1500;
    QTest::newRow("stopped") << QStringList{"--stopped", "22E21A"} << int(LinkFailure::Stopped)
                             << -1 << 1500;
    // Once the banner came, the connection time-out no longer ends the attempt:
    // the silence bound does, and the handler reports it.
    QTest::newRow("pending beyond the adapter's wait")
        << QStringList{"--pending-late", "22E217"} << int(LinkFailure::PendingNoAnswer) << -1
        << 7500;
    QTest::newRow("unplugged mid-answer")
        << QStringList{"--unplug", "22E217:12"} << int(LinkFailure::PortLost) << -1 << 2500;
}

void TestConnectAdapter::failures() {
    QFETCH(QStringList, arguments);
    QFETCH(int, failure);
    QFETCH(int, responseCode);
    QFETCH(int, boundMs);
    // The connection time-out once at its real 6 s.
    const ScopedTimeScale scale(
        QByteArray(QTest::currentDataTag()) == "silent adapter" ? 1.0 : QuickTime);
    SimFixture fixture(Sim(arguments));
    ReadingRig rig;
    MessageRecorder messages;
    const Outcome outcome = Read(rig);
    QVERIFY(outcome.failed);
    QCOMPARE(int(outcome.failure), failure);
    QCOMPARE(outcome.responseCode, responseCode);
    QVERIFY2(outcome.elapsedMs < boundMs, qPrintable(QString::number(outcome.elapsedMs)));
    // The window reports failures; the attempt itself shows only a port problem.
    QCOMPARE(messages.texts(), QStringList());
    if (failure == int(LinkFailure::ConnectTimedOut)) {
        QVERIFY2(outcome.elapsedMs >= Scaled(ConnectionTimeoutMs),
                 qPrintable(QString::number(outcome.elapsedMs)));
        QCOMPARE(AdapterState, AdapterTimedOut);
        QVERIFY(!rig.timeOut.isActive());
    }
}

void TestConnectAdapter::portMissing() {
    SimFixture fixture(Sim({}));
    UseComPort(9); // nothing is linked as COM9
    LinkRig form;
    form.StatusBar1->setPanelText(3, QStringLiteral("Not Connected"));
    MessageRecorder messages;
    QVERIFY(!Connect(form).failed);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("ERROR! Comm Port is either in use or not found!")});
    QCOMPARE(messages.messages().first().title, QStringLiteral("ERROR!"));
    QCOMPARE(messages.messages().first().icon, MessageIcon::Critical);
    QVERIFY(messages.messages().first().informative.contains(QStringLiteral("COM9")));
    QCOMPARE(AdapterState, AdapterNotInitialised);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Not Connected"));
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(!form.MSComm1->PortOpen());
    QVERIFY(fixture.sim().Received().isEmpty());
}

void TestConnectAdapter::portMissingListsTheDevices() {
    SimFixture fixture(Sim({}));
    const auto usb = fixture.addPort(33);
    const auto bluetooth = fixture.addPort(97);
    UseComPort(9); // nothing is linked as COM9
    LinkRig form;
    MessageRecorder messages;
    QVERIFY(!Connect(form).failed);
    QCOMPARE(messages.texts().size(), 1);
    const QString second = messages.messages().first().informative;
    QVERIFY2(second.contains(QStringLiteral("COM33 is %1").arg(usb->SlavePath())),
             qPrintable(second));
    QVERIFY2(second.contains(QStringLiteral("COM97 is %1").arg(bluetooth->SlavePath())),
             qPrintable(second));
    QTest::qWait(100);
    // Listing is by existence and permission: nothing was sent to any of them.
    QVERIFY(usb->Received().isEmpty());
    QVERIFY(bluetooth->Received().isEmpty());
    QVERIFY(fixture.sim().Received().isEmpty());
}

void TestConnectAdapter::portInUse() {
    SimFixture fixture(Sim({}));
    QSerialPort other(QFileInfo(fixture.sim().SlavePath()).canonicalFilePath());
    QVERIFY(other.open(QIODevice::ReadWrite));
    LinkRig form;
    MessageRecorder messages;
    QVERIFY(!Connect(form).failed);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("ERROR! Comm Port is either in use or not found!")});
    QVERIFY(messages.messages().first().informative.contains(QStringLiteral("Another program")));
    QVERIFY(fixture.sim().Received().isEmpty());
}

void TestConnectAdapter::silenceOutsideAnAttemptIsBounded() {
    const ScopedTimeScale scale(1.0); // the silence bound at its real 5 s
    SimFixture fixture(Sim({}));
    LinkRig form;
    MessageRecorder messages;
    QVERIFY(!Connect(form).failed);
    fixture.sim().Adapter().MutableOptions().silent = true;
    QElapsedTimer clock;
    clock.start();
    QVERIFY_THROWS_EXCEPTION(LinkError, ReadDtcCount(form.controls()));
    // The real limit, 5 s of silence, and not much more.
    QVERIFY2(clock.elapsed() >= CurrentLinkLimits().silenceMs &&
                 clock.elapsed() < CurrentLinkLimits().silenceMs + 1000,
             qPrintable(QString::number(clock.elapsed())));
}

void TestConnectAdapter::unplugClosesThePortOnce() {
    SimFixture fixture(Sim({}));
    LinkRig form;
    MessageRecorder messages;
    QVERIFY(!Connect(form).failed);
    QSignalSpy closed(form.MSComm1, &MSComm::portClosed);
    fixture.sim().Adapter().MutableOptions().unplugOn = QStringLiteral("220200");
    fixture.sim().Adapter().MutableOptions().unplugAfterBytes = 15;
    try {
        ReadDtcCount(form.controls());
        QFAIL("the read should have failed");
    } catch (const LinkError& error) {
        QCOMPARE(int(error.failure()), int(LinkFailure::PortLost));
    }
    QTest::qWait(200); // no storm of errors afterwards
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form.MSComm1->PortOpen());
}

VORKEL_TEST_MAIN_IN_PARTS(TestConnectAdapter)
#include "tst_connect_adapter.moc"
