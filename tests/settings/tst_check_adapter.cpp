// Setup's Check Adapter against the simulator's personalities and faults:
// each row the verdict a user reads, one row of the steps, and the port
// opened exactly once.
#include "app/form1.h"
#include "common/adapter_log.h"
#include "common/mscomm.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "link/serial_port.h"
#include "settings/check_window.h"
#include "settings/setup_form.h"
#include "support/open_counter.h"
#include "support/sim_fixture.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

using namespace vorkel;

class TestCheckAdapter : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
    void verdicts_data();
    void verdicts();

  private:
    std::optional<ScopedTimeScale> m_scale;
};

void TestCheckAdapter::verdicts_data() {
    QTest::addColumn<QStringList>("sim"); // vorkel-sim's arguments; "--tcp" first: a WiFi adapter
    QTest::addColumn<QString>("before");  // "connect": the main window connected first; "cancel"
    QTest::addColumn<QString>("verdict"); // a part of it
    QTest::addColumn<QString>("step");    // "COMMAND result" of one row of the table
    const QString reads = QStringLiteral("This adapter can read the cluster (");
    const auto row = [](const char* name, const QStringList& sim, const char* before,
                        const QString& verdict, const char* step) {
        QTest::newRow(name) << sim << QString::fromLatin1(before) << verdict
                            << QString::fromLatin1(step);
    };
    row("genuine", {"--personality", "genuine"}, "", reads + "ELM327 v1.4b, 12.6 V, ", "22E21A OK");
    row("clone v1.5", {"--personality", "clone15"}, "", reads + "ELM327 v1.5, ", "AT@1 OK");
    row("clone v2.1", {"--personality", "clone21"}, "", reads + "ELM327 v2.1, ", "ATRV OK");
    row("STN", {"--personality", "stn"}, "", reads + "ELM327 v1.3a, ", "ATSH720 OK");
    row("slow Bluetooth", {"--personality", "bt-slow"}, "", reads, "22E21A OK");
    row("WiFi", {"--tcp"}, "", reads, "ATZ OK");
    row("wrong speed", {"--baud", "9600"}, "",
        "No adapter answered at 38400 baud; one answered at 9600: choose 9600.", "ATZ no answer");
    row("a refused command", {"--refuse", "ATSH720"}, "",
        "This adapter refused ATSH720: it cannot address the cluster. Use another adapter.",
        "ATSH720 refused");
    row("an ignored header", {"--ignore", "ATSH720"}, "",
        "answered OK to ATSH720 but did not apply it", "0100 OK");
    row("the cluster silent", {"--no-data", "*"}, "",
        "The adapter works, but the cluster did not answer", "0100 no answer");
    row("a low voltage", {"--voltage", "11.4"}, "", "The car's supply is low, 11.4 V", "ATRV OK");
    row("unplugged mid-check", {"--unplug", "ATRV:2"}, "", "was lost during the check",
        "ATRV no answer");
    row("the main window connected", {}, "connect", "The main window was connected", "ATH1 OK");
    row("cancelled", {"--reset-delay", "60000"}, "cancel", "The check was cancelled.", "");
}

void TestCheckAdapter::verdicts() {
    QFETCH(QStringList, sim);
    QFETCH(QString, before);
    QFETCH(QString, verdict);
    QFETCH(QString, step);
    const bool tcp = sim.value(0) == QLatin1String("--tcp");
    if (tcp) sim.removeFirst();
    SimFixture fixture(SimFromArguments(sim), 7);
    const QString device = fixture.sim().SlavePath();
    Form1 form;
    windowdriver::Start(form, 7);
    if (before == QLatin1String("connect")) {
        QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
        QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    }
    const quint16 tcpPort = tcp ? fixture.useTcp().section(QLatin1Char(':'), 1).toUShort() : 0;
    OpenCounter counter({device});
    form.mnu_Setup_Click();
    Setup_Form* setup = form.SetupDialog();
    setup->Form_Activate();
    QCOMPARE(counter.opens().value(device), 0); // Setup opens nothing by itself
    setup->CommPort_List->setCurrentRow(
        FindListEntry(QStringLiteral("COM7"), setup->CommPort_List));
    setup->Network_Check->setChecked(tcp);
    setup->NetworkHost_Text->setText(QStringLiteral("127.0.0.1"));
    setup->NetworkPort_Number->setValue(tcpPort);
    if (before == QLatin1String("cancel")) {
        windowdriver::WhenTrue(
            setup, [setup] { return setup->findChild<CheckWindow*>() != nullptr; },
            [setup] {
                setup->CheckAdapter->click(); // a second check while one runs does nothing
                setup->findChild<CheckWindow*>()->CheckClose->click();
            });
    }
    QTest::mouseClick(setup->CheckAdapter, Qt::LeftButton);

    const QList<CheckWindow*> windows = setup->findChildren<CheckWindow*>();
    QCOMPARE(windows.size(), 1);
    CheckWindow* window = windows.first();
    QVERIFY(!window->Running());
    QVERIFY2(window->Verdict_Label->text().contains(verdict),
             qPrintable(window->Verdict_Label->text()));
    QStringList rows;
    for (int row = 0; row < window->CheckSteps_Table->rowCount(); ++row)
        rows << window->CheckSteps_Table->item(row, 0)->text() + QLatin1Char(' ') +
                    window->CheckSteps_Table->item(row, 2)->text();
    if (!step.isEmpty()) QVERIFY2(rows.contains(step), qPrintable(rows.join(QLatin1String(" | "))));
    // The chosen port opened once (the speed search included), and let go.
    if (!tcp) QCOMPARE(counter.opens().value(device), 1);
    QCOMPARE(CommPortNumber, std::int16_t(7)); // nothing saved
    QFile log(form.AdapterLogFile().Path());
    QVERIFY(log.open(QIODevice::ReadOnly) && log.readAll().contains("# check: Check Adapter"));
    setup->SetupCancel_Click();
}

QTEST_MAIN(TestCheckAdapter)
#include "tst_check_adapter.moc"
