// Every fault the simulator offers, at each step of the road (Connect, View
// DTC, Clear DTC), and clicks in the middle of a wait. Each row checks that
// the operation ends within its bound, that at most one message says what
// went wrong, that the window is in one of its plain states with the port
// open exactly when it says "Connected", and that a later Connect to a
// healthy adapter succeeds.
#include "app/fault_rows.h"
#include "app/form1.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "link/exchange.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/test_parts.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vorkel;

namespace {

QPushButton* ButtonFor(Form1& form, Step step) {
    switch (step) {
    case Connect:
        return form.Connect_Command;
    case View:
        return form.Command1;
    case Clear:
        return form.DTC_Clear_Button;
    }
    return nullptr;
}

QString RequestOf(Step step) {
    switch (step) {
    case Connect:
        return QStringLiteral("atz");
    case View:
        return QStringLiteral("1800ff00");
    case Clear:
        return QStringLiteral("14FF00");
    }
    return {};
}

bool LooksConnected(Form1& form) {
    return form.Connect_Command->text() == QLatin1String("Disconnect") &&
           form.StatusBar1->panelText(3) == QLatin1String("Connected") &&
           !form.StatusBar1->panelText(1).isEmpty();
}

bool LooksDisconnected(Form1& form) {
    return form.Connect_Command->text() == QLatin1String("Connect") &&
           form.StatusBar1->panelText(3) == QLatin1String("Not Connected") &&
           form.StatusBar1->panelText(1).isEmpty() && !form.Command1->isEnabled() &&
           !form.DTC_Clear_Button->isEnabled();
}

} // namespace

class TestFaultSuite : public QObject {
    Q_OBJECT
  private slots:
    void fault_data();
    void fault();
};

void TestFaultSuite::fault_data() {
    AddFaultRows();
}

void TestFaultSuite::fault() {
    QFETCH(int, step);
    QFETCH(QStringList, faults);
    QFETCH(int, click);
    QFETCH(QString, message);
    QFETCH(bool, connected);
    QFETCH(int, boundMs);
    const ScopedLinkLimits limits(SuiteLimits);
    // The 6 s time-out and the search after it once at their real length.
    const bool fullScale = QByteArray(QTest::currentDataTag()) == "connect: silent adapter";
    const ScopedTimeScale scale(fullScale ? 1.0 : QuickTime);

    // A network adapter: the simulator listening on loopback, or nobody; or a
    // Bluetooth one behind the stand-in of the Bluetooth service.
    const QString network = faults.value(0).startsWith(QLatin1String("--tcp")) ||
                                    faults.value(0) == QLatin1String("--bluetooth")
                                ? faults.takeFirst()
                                : QString();
    const QString badHost = network == QLatin1String("--tcp-host") ? faults.takeFirst() : QString();
    const vorkelsim::SimOptions faulty = SimFromArguments(faults);
    SimFixture fixture(step == Connect ? faulty : FastAdapter());
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    // A log of this run's own: the parts side by side would move a shared one aside.
    QTemporaryDir logFolder;
    form.AdapterLogFile().SetPath(logFolder.filePath(QStringLiteral("vorkel.log")));
    if (network == QLatin1String("--bluetooth")) {
        BluetoothAdapter = fixture.useBluetooth();
    } else if (network == QLatin1String("--tcp")) {
        NetworkAdapter = fixture.useTcp();
    } else if (network == QLatin1String("--tcp-nobody")) {
        vorkelsim::PtyAdapter gone({});
        QVERIFY(gone.StartTcp(0));
        NetworkAdapter = QStringLiteral("127.0.0.1:%1").arg(gone.TcpPort());
    } else if (!badHost.isEmpty()) {
        NetworkAdapter = badHost + QStringLiteral(":35000");
    }
    // A listener whose queue one connection fills: the next is never taken.
    const int stalled =
        network == QLatin1String("--tcp-stalled") ? ::socket(AF_INET, SOCK_STREAM, 0) : -1;
    QTcpSocket filler;
    if (stalled >= 0) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(::bind(stalled, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                ::listen(stalled, 0) == 0 &&
                ::getsockname(stalled, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        filler.connectToHost(QStringLiteral("127.0.0.1"), ntohs(address.sin_port));
        QVERIFY(filler.waitForConnected(2000));
        NetworkAdapter = QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port));
    }
    const auto closeStalled = qScopeGuard([stalled] {
        if (stalled >= 0) ::close(stalled);
    });
    bool exited = false;
    form.setExitAction([&] { exited = true; });
    MessageRecorder messages;

    if (step != Connect) {
        QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
        QVERIFY(LooksConnected(form));
        QCOMPARE(messages.texts(), QStringList());
        fixture.sim().Adapter().MutableOptions() = faulty; // the cluster's codes are the same
        fixture.sim().ClearReceived();
    }

    QString waiting; // what the window said it waited for when the user clicked
    // A cluster that says "busy, pending" is said to be busy.
    const bool pending = faults.filter(QStringLiteral("--pending")).size() > 0;
    const QString busyWords =
        QStringLiteral("The cluster is busy: waiting for its answer... (up to ");
    if (click != NoClick) {
        // A request held back at Connect ("busy, pending") is the moment clicked at.
        const qsizetype held = faults.indexOf(QLatin1String("--pending-late")) + 1;
        const QString request =
            step == Connect && held > 0 ? faults.at(held).toLower() : RequestOf(Step(step));
        windowdriver::WhenTrue(
            &form,
            [&fixture, &form, request, stalled, pending, busyWords] {
                return stalled >= 0 || fixture.paging() ||
                       (fixture.commands().contains(request) &&
                        (!pending || form.StatusBar1->currentMessage().startsWith(busyWords)));
            },
            [&] {
                waiting = form.StatusBar1->currentMessage();
                switch (Click(click)) {
                case ClickConnect:
                    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
                    break;
                case ClickDisconnect:
                    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
                    break;
                case ClickView:
                case ClickClear:
                    // Greyed while the wait runs: the click cannot land.
                    QVERIFY(!form.Command1->isEnabled() && !form.DTC_Clear_Button->isEnabled());
                    QTest::mouseClick(click == ClickView ? form.Command1 : form.DTC_Clear_Button,
                                      Qt::LeftButton);
                    break;
                case ClickSetup:
                    form.mnu_Setup->trigger();
                    if (!form.SetupDialog()) break; // refused
                    form.SetupDialog()->Form_Activate();
                    form.SetupDialog()->SetupCancel_Click();
                    break;
                case ClickExit:
                    QTest::mouseClick(form.Command2, Qt::LeftButton);
                    break;
                case ClickEscape:
                    QTest::keyClick(form.Connect_Command, Qt::Key_Escape);
                    break;
                case ClickAbout:
                    form.mnu_About->trigger();
                    QVERIFY(form.AboutDialog() && form.AboutDialog()->isVisible());
                    form.AboutDialog()->close();
                    break;
                case NoClick:
                    break;
                }
            });
    }

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(ButtonFor(form, Step(step)), Qt::LeftButton);
    const qint64 elapsed = clock.elapsed();

    QVERIFY2(elapsed < boundMs, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
    QTest::qWait(100); // nothing more is said afterwards
    QVERIFY2(messages.texts().size() <= 1,
             qPrintable(messages.texts().join(QStringLiteral(" | "))));
    if (message.isEmpty())
        QVERIFY2(messages.texts().isEmpty(),
                 qPrintable(messages.texts().join(QStringLiteral(" | "))));
    else
        QVERIFY2(messages.texts().value(0).contains(message),
                 qPrintable(messages.texts().join(QStringLiteral(" | "))));
    QVERIFY(!form.ExchangeRunning());
    QVERIFY(!QApplication::overrideCursor());
    if (click != NoClick) {
        // The step waited for, and how long it might still take.
        const QString words =
            pending             ? busyWords
            : step == View      ? QStringLiteral("Reading trouble codes... (up to ")
            : step == Clear     ? QStringLiteral("Clearing the trouble codes... (up to ")
            : network.isEmpty() ? QStringLiteral("Resetting the adapter... (up to ")
                                : QStringLiteral("Calling the adapter... (up to ");
        QVERIFY2(waiting.startsWith(words), qPrintable(waiting));
    }
    if (click == ClickEscape || click == ClickDisconnect || click == ClickSetup) {
        // Stopped, and said so without a box; a list read before stays; a
        // Clear sent goes on, whatever stops it.
        QVERIFY(form.AdapterLogFile().Contents().contains(step == Clear ? "! Stop: refused"
                                                                        : "! Stop\n"));
        if (step == View) QCOMPARE(windowdriver::ListLines(form).size(), 3);
        if (step != Clear)
            QVERIFY2(form.StatusBar1->currentMessage().contains(
                         QLatin1String("was stopped by the user.")),
                     qPrintable(form.StatusBar1->currentMessage()));
    }
    // What the input table decided is in the log, for every input but those that just act.
    if (click != NoClick && click != ClickExit && click != ClickAbout && click != ClickView &&
        click != ClickClear)
        QVERIFY(form.AdapterLogFile().Contents().contains(" during "));
    QVERIFY(!form.Timer1->isActive());
    if (click == ClickExit) {
        QVERIFY(exited);
        // A Clear sent is answered (here: its wait ends) before the program goes.
        const QByteArray log = form.AdapterLogFile().Contents();
        if (step == Clear)
            QVERIFY2(log.lastIndexOf("! shown:") < log.lastIndexOf("! Exit\n") &&
                         log.contains("! Exit during ClearSent"),
                     log.right(800).constData());
        QVERIFY(!form.MSComm1->PortOpen());
        return;
    }
    QCOMPARE(form.MSComm1->PortOpen(), connected);
    QVERIFY(connected ? LooksConnected(form) : LooksDisconnected(form));

    // What a read listed is what the cluster holds, in its order; a shorter
    // list was said; and View DTC on a healthy answer lists every code.
    if (connected && step != Clear) {
        const QStringList shown = windowdriver::ListLines(form);
        // The same three codes; not strict, so an answer the fault left running
        // (busy without end) is not taken for an interruption.
        vorkelsim::SimOptions healthy = FastAdapter();
        healthy.strict = false;
        fixture.sim().Adapter().MutableOptions() = healthy;
        const qsizetype said = messages.texts().size();
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QCOMPARE(messages.texts().size(), said);
        const QStringList all = windowdriver::ListLines(form);
        QCOMPARE(all.size(), 3);
        QCOMPARE(all.mid(0, shown.size()), shown);
        if (shown.size() < all.size()) QCOMPARE(said, 1);
    }

    // A later Connect to a healthy adapter succeeds.
    if (connected) QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    QVERIFY(LooksDisconnected(form));
    fixture.replace(FastAdapter());
    if (network.startsWith(QLatin1String("--tcp")) && network != QLatin1String("--tcp"))
        NetworkAdapter = fixture.useTcp();
    messages.clear();
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    QVERIFY2(LooksConnected(form),
             qPrintable(messages.texts().join(QStringLiteral(" | ")) + QLatin1Char('\n') +
                        QString::fromUtf8(form.AdapterLogFile().Contents().right(1500))));
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(form.DTC_List->count(), 3);
}

QTEST_MAIN(TestFaultSuite)
#include "tst_fault_suite.moc"
