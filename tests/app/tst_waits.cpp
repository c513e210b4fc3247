// What the user clicks while a wait for the adapter runs, and the adapter
// going away under one.
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

class TestWaits : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
    void secondConnectClickStops();
    void disconnectDuringAWaitEndsIt();
    void viewAndClearWaitTheirTurn();
    void exitDuringAWait();
    void busyCursorWhileWaiting();
    void unplugWhileReading();

  private:
    std::optional<ScopedTimeScale> m_scale; // every row runs at the quick factor
};

void TestWaits::secondConnectClickStops() {
    SimFixture fixture(Sim({"--reset-delay", "600"}));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    QString waiting, hint;
    WhenTrue(
        &form, [&] { return form.StatusBar1->panelText(3) == QLatin1String("Connecting..."); },
        [&] {
            waiting = form.StatusBar1->currentMessage();
            hint = form.Connect_Command->accessibleDescription();
            Click(form.Connect_Command);
        });
    Click(form.Connect_Command);
    // What it waited for and how to stop it; then nothing more sent, and said plainly.
    QVERIFY2(waiting.startsWith(QLatin1String("Resetting the adapter... (up to ")),
             qPrintable(waiting));
    QVERIFY(hint.contains(QLatin1String("Escape")));
    QCOMPARE(fixture.commands(), QStringList{QStringLiteral("atz")});
    VerifyDisconnected(form);
    QVERIFY(messages.texts().isEmpty());
    QVERIFY(form.StatusBar1->currentMessage().contains(QLatin1String("stopped by the user")));
    QVERIFY(form.Connect_Command->accessibleDescription().isEmpty());
    QVERIFY(form.AdapterLogFile().Contents().contains("! Stop\n"));
}

void TestWaits::disconnectDuringAWaitEndsIt() {
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

void TestWaits::viewAndClearWaitTheirTurn() {
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

void TestWaits::exitDuringAWait() {
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

void TestWaits::busyCursorWhileWaiting() {
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

void TestWaits::unplugWhileReading() {
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

QTEST_MAIN(TestWaits)
#include "tst_waits.moc"
