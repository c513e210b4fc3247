// After a Connect: View DTC, Clear DTC and Disconnect, and the connection
// time-out.
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
using windowdriver::Click;
using windowdriver::ListLines;
using windowdriver::VerifyDisconnected;
using windowdriver::WhenTrue;
using windowdriver::WorkedExample;

namespace {

vorkelsim::SimOptions Sim(const QStringList& arguments) {
    return SimFromArguments(arguments);
}

} // namespace

class TestOperations : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
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

  private:
    std::optional<ScopedTimeScale> m_scale; // every row runs at the quick factor
};

void TestOperations::viewTwiceRebuildsTheList() {
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
    // Ctrl+C copies the line chosen; with none chosen, the whole card.
    form.activateWindow();
    form.DTC_List->setFocus();
    form.DTC_List->setCurrentRow(1);
    QTest::keyClick(form.DTC_List, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), WorkedExample[1]);
    form.DTC_List->clearSelection();
    QTest::keyClick(form.DTC_List, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QGuiApplication::clipboard()->text().contains(QLatin1String("3R23-10849-BA")));
}

void TestOperations::clearErasesEverything() {
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
    QCOMPARE(form.DTC_List->accessibleDescription(), QStringLiteral("No trouble codes stored"));
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Disconnect"));
    QVERIFY(messages.texts().isEmpty());
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("3 erased; none came back."));
}

void TestOperations::clearWithACodeLeft() {
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
    QCOMPARE(form.StatusBar1->currentMessage(),
             QStringLiteral("3 erased; B1317 came back: that fault is still present."));
}

void TestOperations::clearRefused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("negative response")
        << QStringList{"--negative", "14:22"} << "conditions not correct"
        << "The codes were not erased.";
    QTest::newRow("no data") << QStringList{"--no-data", "14FF00"} << "NO DATA"
                             << "No confirmation came: press View DTC to see what is left";
}

void TestOperations::clearRefused() {
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

void TestOperations::disconnectAndConnectAgain_data() {
    QTest::addColumn<bool>("wifiDropped"); // a WiFi adapter that dropped the connection unnoticed
    QTest::newRow("COM port") << false;
    QTest::newRow("WiFi, dropped just before") << true;
}

void TestOperations::disconnectAndConnectAgain() {
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
    // What stays on the window says when and from where it was read.
    const QString from = QStringLiteral("Shown from before: read at ");
    QVERIFY2(form.Part_Label->toolTip().contains(from), qPrintable(form.Part_Label->toolTip()));
    QVERIFY2(form.DTC_List->toolTip().startsWith(from), qPrintable(form.DTC_List->toolTip()));
    QVERIFY2(form.StatusBar1->currentMessage().startsWith(
                 QLatin1String("The part number and codes shown are from before: read at ")),
             qPrintable(form.StatusBar1->currentMessage()));
    Click(form.Connect_Command);
    QVERIFY(!form.Part_Label->toolTip().contains(from));
    QCOMPARE(form.DTC_List->toolTip(), QString());
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(fixture.commands().first(), QStringLiteral("atz"));
    QCOMPARE(ListLines(form), WorkedExample);
    QVERIFY(messages.texts().isEmpty());
    NetworkAdapter.clear();
}

void TestOperations::timeOutOnceThenConnect() {
    SimFixture fixture(Sim({"--silent"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    QStringList said; // every message of the status bar
    connect(form.StatusBar1, &QStatusBar::messageChanged, this,
            [&said](const QString& message) { said << message; });
    QElapsedTimer clock;
    clock.start();
    Click(form.Connect_Command);
    QVERIFY(clock.elapsed() <= 8000);
    // The search says what it does, within its own bound; no figure the wait does not keep.
    const QString join = said.join(QStringLiteral(" | "));
    QVERIFY2(
        !said.filter(QStringLiteral("No answer: trying the adapter at other speeds... (up to "))
             .isEmpty(),
        qPrintable(join));
    QVERIFY2(said.filter(QStringLiteral("(up to 0 s)")).isEmpty(), qPrintable(join));
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

void TestOperations::countAndListDisagree_data() {
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

void TestOperations::countAndListDisagree() {
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

void TestOperations::shortReplyEndsAtThePrompt() {
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

void TestOperations::failedAttemptSendsNothingMore() {
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

VORKEL_TEST_MAIN_IN_PARTS(TestOperations)
#include "tst_operations.moc"
