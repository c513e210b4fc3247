// Setup's Check Adapter against the simulator's personalities and faults:
// each row the verdict a user reads, one row of the steps, and the port
// opened exactly once.
#include "app/form1.h"
#include "common/adapter_log.h"
#include "common/find_list_entry.h"
#include "common/mscomm.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/value_label.h"
#include "link/serial_port.h"
#include "settings/check_window.h"
#include "settings/setup_form.h"
#include "support/message_recorder.h"
#include "support/open_counter.h"
#include "support/sim_fixture.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

using namespace vorkel;

class TestCheckAdapter : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
    void answers_data();
    void answers();
    void verdicts_data();
    void verdicts();

  private:
    std::optional<ScopedTimeScale> m_scale;
};

void TestCheckAdapter::answers_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer"); // through the prompt, as it came
    QTest::addColumn<bool>("fits");      // taken as this command's answer
    QTest::addColumn<QString>("shown");  // in the table
    QTest::addColumn<QString>("outcome");
    const auto row = [](const char* name, const char* command, const QString& answer, bool fits,
                        const char* shown, const char* outcome) {
        QTest::newRow(name) << command << answer << fits << shown << outcome;
    };
    row("reset", "atz", "atz\r\r\rELM327 v1.5\r\r>", true, "ELM327 v1.5", "OK");
    row("reset with a stray byte", "atz", "\xfc\r\rELM327 v1.5\r\r>", true, "ELM327 v1.5", "OK");
    row("a reset without a banner", "atz", "\r\r>", false, "", "unexpected");
    row("another command's echo", "ati", "atz\r\r\rELM327 v1.5\r\r>", false, "atz / ELM327 v1.5",
        "OK");
    row("voltage", "atrv", "12.6V\r\r>", true, "12.6 V", "OK");
    row("an OK left from before the reset", "atz", "OK\r\r>", false, "OK", "unexpected");
    row("no OK for a set-up command", "atsh720", "\r\r>", false, "", "unexpected");
    row("noise at the wrong speed", "atz", QString::fromLatin1("\x80\xf8\x80\xf8"), false,
        "unreadable bytes: the speed may be wrong", "unreadable");
}

void TestCheckAdapter::answers() {
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(bool, fits);
    QFETCH(QString, shown);
    QFETCH(QString, outcome);
    QCOMPARE(AnswerFits(command, answer), fits);
    const CheckStep step{command, answer, ClassifyCheckAnswer(command, answer)};
    QCOMPARE(OutcomeText(step.outcome), outcome);
    QCOMPARE(ReadableAnswer(step), shown);
}

void TestCheckAdapter::verdicts_data() {
    // vorkel-sim's arguments; "--tcp" first: a WiFi adapter, "--bluetooth": a Bluetooth one.
    QTest::addColumn<QStringList>("sim");
    // "connect": the main window connected first; "connecting": checked while a Connect
    // waits for its reset; "cancel"; "use speed": the speed found is saved in one click.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("verdict"); // a part of it
    QTest::addColumn<QString>("step");    // "COMMAND result" of one row of the table
    QTest::addColumn<QString>("marked");  // the command of the row the verdict is about
    const QString reads = QStringLiteral("This adapter can read the cluster (");
    const auto row = [](const char* name, const QStringList& sim, const char* before,
                        const QString& verdict, const char* step, const char* marked = "22E21A") {
        QTest::newRow(name) << sim << QString::fromLatin1(before) << verdict
                            << QString::fromLatin1(step) << QString::fromLatin1(marked);
    };
    row("genuine", {"--personality", "genuine"}, "", reads + "ELM327 v1.4b, 12.6 V, ", "22E21A OK");
    row("clone v1.5", {"--personality", "clone15"}, "", reads + "ELM327 v1.5, ", "AT@1 OK");
    row("clone v2.1", {"--personality", "clone21"}, "", reads + "ELM327 v2.1, ", "ATRV OK");
    row("STN", {"--personality", "stn"}, "", reads + "ELM327 v1.3a, ", "ATSH720 OK");
    row("slow Bluetooth", {"--personality", "bt-slow"}, "", reads, "22E21A OK");
    row("WiFi", {"--tcp"}, "", reads, "ATZ OK");
    row("Bluetooth", {"--bluetooth", "--personality", "bt-slow"}, "", reads, "ATZ OK");
    row("wrong speed", {"--baud", "9600"}, "",
        "The adapter answers at 9600 baud: choose 9600 in Setup.", "ATZ unreadable", "ATZ");
    row("a speed Setup does not list", {"--baud", "57600"}, "use speed",
        "The adapter answers at 57600 baud, which Setup does not list: press \"Use 57600 baud\"",
        "ATZ unreadable", "ATZ");
    row("a Bluetooth banner late from a Connect", {"--personality", "bt-slow"}, "connecting", reads,
        "ATI OK");
    row("a refused command", {"--refuse", "ATSH720"}, "",
        "This adapter refused ATSH720: it cannot address the cluster. Use another adapter.",
        "ATSH720 refused", "ATSH720");
    row("an ignored header", {"--ignore", "ATSH720"}, "",
        "answered OK to ATSH720 but did not apply it", "ATSH720 said OK, not applied", "ATSH720");
    row("the cluster silent", {"--no-data", "*"}, "",
        "The adapter works, but the cluster did not answer", "0100 no answer");
    row("a low voltage", {"--voltage", "11.4"}, "", "The car's supply is low, 11.4 V", "ATRV OK");
    row("unplugged mid-check", {"--unplug", "ATRV:2"}, "", "was lost during the check",
        "ATRV no answer", "ATRV");
    row("the main window connected", {}, "connect", "The main window was connected", "ATH1 OK");
    row("cancelled", {"--reset-delay", "60000"}, "cancel", "The check was cancelled.",
        "ATI not run", "ATZ");
}

void TestCheckAdapter::verdicts() {
    QFETCH(QStringList, sim);
    QFETCH(QString, before);
    QFETCH(QString, verdict);
    QFETCH(QString, step);
    QFETCH(QString, marked);
    const bool radio = sim.value(0) == QLatin1String("--bluetooth");
    const bool tcp = radio || sim.value(0) == QLatin1String("--tcp"); // no serial line
    if (tcp) sim.removeFirst();
    SimFixture fixture(SimFromArguments(sim), 7);
    QString device = fixture.sim().SlavePath();
    Form1 form;
    windowdriver::Start(form, 7);
    if (before == QLatin1String("connect")) {
        QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
        QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    }
    if (radio) fixture.useBluetooth();
    const quint16 tcpPort =
        tcp && !radio ? fixture.useTcp().section(QLatin1Char(':'), 1).toUShort() : 0;
    // The simulator moved off the pseudo-terminal, whose number another test
    // side by side may take: COM7 stays a live adapter of our own, never opened.
    const auto bystander = tcp ? fixture.addPort(7) : nullptr;
    if (bystander) device = bystander->SlavePath();
    OpenCounter counter({device});
    MessageRecorder messages;
    Setup_Form* setup = nullptr;
    const auto check = [&] {
        form.mnu_Setup_Click();
        setup = form.SetupDialog();
        const int opened = counter.opens().value(device);
        setup->Form_Activate();
        QCOMPARE(counter.opens().value(device), opened); // Setup opens nothing by itself
        setup->CommPort_List->setCurrentRow(
            FindListEntry(QStringLiteral("COM7"), setup->CommPort_List));
        setup->Network_Check->setChecked(tcp && !radio);
        setup->Bluetooth_Check->setChecked(radio);
        setup->NetworkHost_Text->setText(QStringLiteral("127.0.0.1"));
        setup->NetworkPort_Number->setValue(tcpPort);
        QTest::mouseClick(setup->CheckAdapter, Qt::LeftButton);
    };
    if (before == QLatin1String("cancel")) {
        windowdriver::WhenTrue(
            &form,
            [&setup] {
                // It says what it waits for, then it is cancelled.
                const auto* window = setup ? setup->findChild<CheckWindow*>() : nullptr;
                return window && window->Verdict_Label->text().startsWith(
                                     QLatin1String("Resetting the adapter (ATZ)"));
            },
            [&setup, &form] {
                setup->CheckAdapter->click();  // a second check while one runs does nothing
                form.Connect_Command->click(); // nor does a Connect
                setup->findChild<CheckWindow*>()->CheckClose->click();
            });
    }
    if (before == QLatin1String("connecting")) {
        // The adapter's answer to that reset comes late, into the check.
        windowdriver::WhenTrue(
            &form, [&fixture] { return fixture.commands().contains(QStringLiteral("atz")); },
            check);
        QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
        QVERIFY(AdapterState != AdapterTimedOut); // its time-out went with it
        QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Not Connected"));
    } else {
        check();
    }
    // The chosen port opened once for the check (the speed search included), and let go.
    QCOMPARE(counter.opens().value(device), tcp ? 0 : before == "connecting" ? 2 : 1);

    const QList<CheckWindow*> windows = setup->findChildren<CheckWindow*>();
    QCOMPARE(windows.size(), 1);
    CheckWindow* window = windows.first();
    QVERIFY(!window->Running() && window->isModal());
    QVERIFY2(window->Verdict_Label->text().contains(verdict),
             qPrintable(window->Verdict_Label->text()));
    QStringList rows;
    for (int row = 0; row < window->CheckSteps_Table->rowCount(); ++row)
        rows << window->CheckSteps_Table->item(row, 0)->text() + QLatin1Char(' ') +
                    window->CheckSteps_Table->item(row, 2)->text();
    QVERIFY2(rows.contains(step), qPrintable(rows.join(QLatin1String(" | "))));
    // The row the verdict is about is the one marked; the table shows its first rows.
    QTableWidget* table = window->CheckSteps_Table;
    QCOMPARE(table->item(table->currentRow(), 0)->text(), marked);
    QVERIFY(table->item(table->currentRow(), 0)->font().bold());
    QCOMPARE(table->verticalScrollBar()->value(), 0);
    QCOMPARE(messages.texts(), QStringList());
    if (before == QLatin1String("cancel"))
        QVERIFY(
            form.StatusBar1->currentMessage().contains(QLatin1String("Check Adapter is using")));
    QFile log(form.AdapterLogFile().Path());
    QVERIFY(log.open(QIODevice::ReadOnly) && log.readAll().contains("# check: Check Adapter"));
    if (before == QLatin1String("use speed")) {
        QVERIFY(window->CheckUseSpeed->isVisible());
        window->CheckUseSpeed->click();
        QFile ini(IniFilePath);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(),
                 QByteArray("VORKEL v1.00 INI File\r\nComPort=COM7\r\nComSpeed=57600\r\n"));
        QVERIFY(setup->Speed_List->selectedItems().isEmpty());
    } else {
        QCOMPARE(CommPortNumber, std::int16_t(7)); // nothing saved
    }
    setup->SetupCancel_Click();
}

QTEST_MAIN(TestCheckAdapter)
#include "tst_check_adapter.moc"
