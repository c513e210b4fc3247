// The job card a workshop keeps (saved as a PDF, printed, copied), read back
// as a user's tools read it; and the windows as a screen reader sees them.
#include "app/form1.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QAccessible>
#include <QClipboard>
#include <QPrinter>
#include <QtTest>

using namespace vorkel;

namespace {

// The text of a PDF as pdftotext gives it, and its page count; empty when unreadable.
QString PdfText(const QString& path, int* pages = nullptr) {
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0) return {};
    const QString text = QString::fromUtf8(tool.readAllStandardOutput());
    if (pages) *pages = static_cast<int>(text.count(QLatin1Char('\f')));
    return text;
}

// Every accessible object under an interface, as "role name" lines.
void Walk(QAccessibleInterface* node, QStringList& seen) {
    for (int i = 0; node && i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || child->state().invisible) continue;
        seen << QStringLiteral("%1 %2").arg(int(child->role())).arg(child->text(QAccessible::Name));
        Walk(child, seen);
    }
}

QString Seen(QAccessible::Role role, const QString& name) {
    return QStringLiteral("%1 %2").arg(int(role)).arg(name);
}

} // namespace

class TestJobCard : public QObject {
    Q_OBJECT
  private slots:
    void init() { m_scale.emplace(QuickTime); }
    void cleanup() { m_scale.reset(); }
    void report_data();
    void report();
    void screenReader();

  private:
    std::optional<ScopedTimeScale> m_scale;
};

void TestJobCard::report_data() {
    // Steps: "connect" and "disconnect" (the one button), "view", "clear",
    // "car ARGS" (another simulated car on the port), "fault ARGS" (the same
    // car faulty from now on), "no port" (COM n names nothing).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("holds"); // in this order, besides the program and the cluster
    QTest::addColumn<QStringList>("lacks");
    QTest::addColumn<int>("said"); // messages shown on the way
    const QString first = QStringLiteral("B1201,Fuel Sender Circuit Failure");
    const QString second = QStringLiteral("B2680,Odometer Changed");
    const QString third = QStringLiteral("U1900,CAN Comms Bus Fault Receive Error");
    const QString erased = QStringLiteral("Erased by Clear DTC");
    QTest::newRow("no codes") << QStringList{"car --codes ", "connect"}
                              << QStringList{"DTC count: 0", "(none listed)"} << QStringList{erased}
                              << 0;
    QTest::newRow("incomplete list")
        << QStringList{"car --drop-frame 1", "connect"}
        << QStringList{"DTC count: 3", first, "the list arrived incomplete"} << QStringList{second}
        << 1;
    QTest::newRow("after Clear")
        << QStringList{"connect", "clear"}
        << QStringList{"DTC count: 3", first,  third, "DTC count before Clear: 3", erased,
                       first,          second, third, "DTC count after Clear: 0"}
        << QStringList{"not read"} << 0;
    QTest::newRow("another car, no codes")
        << QStringList{"connect", "disconnect", "car --codes ", "connect"}
        << QStringList{"DTC count: 0", "(none listed)"} << QStringList{first} << 0;
    QTest::newRow("no adapter on the next Connect")
        << QStringList{"connect", "disconnect", "no port", "connect"}
        << QStringList{"DTC count: 3", first, third} << QStringList{"Comm Port", "not read"} << 1;
    QTest::newRow("unplugged during View DTC")
        << QStringList{"connect", "fault --unplug 1800FF00:25", "view"}
        << QStringList{"DTC count: 3", first, second, third, "was lost"} << QStringList{} << 1;
    QTest::newRow("the list refused")
        << QStringList{"car --negative 18:22", "connect"}
        << QStringList{"DTC count: 3", "(list not read)", "refused"} << QStringList{first} << 1;
    // The cluster's whole "728 03 54 FF 00 " has arrived by byte 24 (after
    // the echo "14FF00\r"); by byte 16 only "54".
    QTest::newRow("unplugged after the erase was confirmed")
        << QStringList{"connect", "fault --unplug 14FF00:24", "clear"}
        << QStringList{"DTC count: 3",
                       erased,
                       first,
                       third,
                       "DTC count after Clear: not read",
                       "reading them back failed"}
        << QStringList{} << 1;
    QTest::newRow("a WiFi adapter")
        << QStringList{"wifi", "connect"} << QStringList{"DTC count: 3", first, third}
        << QStringList{"COM"} << 0;
    QTest::newRow("a Bluetooth adapter")
        << QStringList{"bluetooth", "connect"} << QStringList{"DTC count: 3", first, third}
        << QStringList{"COM"} << 0;
    QTest::newRow("unplugged inside the positive answer")
        << QStringList{"connect", "fault --unplug 14FF00:16", "clear"}
        << QStringList{"DTC count: 3", first, "is not known"} << QStringList{erased} << 1;
}

void TestJobCard::report() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, holds);
    QFETCH(QStringList, lacks);
    QFETCH(int, said);
    SimFixture fixture(FastAdapter());
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    QVERIFY(!form.mnu_SaveReport->isEnabled() && !form.mnu_PrintReport->isEnabled());
    for (const QString& step : steps) {
        const QStringList arguments = step.section(QLatin1Char(' '), 1).split(QLatin1Char(' '));
        if (step.startsWith(QLatin1String("car ")))
            fixture.replace(SimFromArguments(arguments));
        else if (step.startsWith(QLatin1String("fault ")))
            fixture.sim().Adapter().MutableOptions() = SimFromArguments(arguments);
        else if (step == QLatin1String("wifi"))
            NetworkAdapter = fixture.useTcp();
        else if (step == QLatin1String("bluetooth"))
            BluetoothAdapter = fixture.useBluetooth();
        else if (step == QLatin1String("no port"))
            CommPortNumber = static_cast<std::int16_t>(fixture.comPort() + 1);
        else if (step == QLatin1String("view"))
            QTest::mouseClick(form.Command1, Qt::LeftButton);
        else if (step == QLatin1String("clear"))
            QTest::mouseClick(form.DTC_Clear_Button, Qt::LeftButton);
        else
            QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    }
    QCOMPARE(messages.texts().size(), said);
    QVERIFY(form.mnu_SaveReport->isEnabled() && form.mnu_PrintReport->isEnabled());
    // Nothing is erased that was not listed first.
    if (holds.contains(QStringLiteral("(list not read)")))
        QVERIFY(!form.DTC_Clear_Button->isEnabled() &&
                form.DTC_Clear_Button->toolTip().contains(QLatin1String("View DTC first")));

    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("saved.pdf"));
    form.setFileChooser([&saved](const QString&, const QString& suggested) {
        // Dated to the second: two saves in one minute are two files.
        static const QRegularExpression dated(
            QStringLiteral("/vorkel-report-\\d{8}-\\d{6}\\.pdf$"));
        return dated.match(suggested).hasMatch() ? saved : QString();
    });
    form.mnu_SaveReport->trigger();
    const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
    form.setPrinterChooser([&printed](QPrinter& printer) {
        // No printer here: to a file, as the dialog offers.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        return true;
    });
    form.mnu_PrintReport->trigger();
    // The bar names the file; its tooltip and a screen reader have the whole path.
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Saved: printed.pdf"));
    QCOMPARE(form.StatusBar1->toolTip(), QStringLiteral("Saved: ") + printed);
    QCOMPARE(QAccessible::queryAccessibleInterface(form.StatusBar1)->text(QAccessible::Description),
             form.StatusBar1->toolTip());
    // Printing to a file is saving one: never over the adapter log.
    form.setPrinterChooser([&form](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(form.AdapterLogFile().Path());
        return true;
    });
    form.mnu_PrintReport->trigger();
    QCOMPARE(messages.texts().size(), said + 1);
    QFile log(form.AdapterLogFile().Path());
    QVERIFY(log.open(QIODevice::ReadOnly) && !log.read(4).startsWith("%PDF"));
    // The card names the port or the network adapter it read the car through,
    // and the log's last session header the one last tried.
    const QString port =
        !BluetoothAdapter.isEmpty() ? QStringLiteral("Bluetooth OBDII ") + BluetoothAdapter
        : NetworkAdapter.isEmpty()  ? QStringLiteral("COM%1").arg(fixture.comPort())
                                    : QStringLiteral("network adapter ") + NetworkAdapter;
    const QString lastTried = !BluetoothAdapter.isEmpty() || !NetworkAdapter.isEmpty()
                                  ? port
                                  : QStringLiteral("COM%1 ").arg(CommPortNumber);
    if (!BluetoothAdapter.isEmpty()) QCOMPARE(form.StatusBar1->panelText(2), port);
    QVERIFY(log.readAll().contains("# port: " + lastTried.toUtf8()));
    form.mnu_Copy->trigger();
    const QString copied = QGuiApplication::clipboard()->text();

    // The car first, its codes, what Clear did; the technical facts in small print last.
    holds = QStringList{"Instrument cluster trouble code report", "BA Futura", "3R23-10849-BA",
                        "Diagnostic trouble codes (DTC)"} +
            holds + QStringList{"VORKEL 1.0.0", "Adapter: ELM327", port};
    for (const QString& path : {saved, printed}) {
        int pages = 0;
        const QString text = PdfText(path, &pages).simplified();
        QCOMPARE(pages, 1);
        for (const char* blank : {"Registration or VIN", "Customer", "Notes", "Technician"})
            QVERIFY2(text.contains(QLatin1String(blank)), qPrintable(text));
        QCOMPARE(text.count(QLatin1String("iagnostic trouble code")), 1); // spelt out once
        qsizetype at = 0;
        for (const QString& fact : holds) { // the code and its description stand in cells
            at = text.indexOf(
                QString(fact)
                    .replace(QLatin1String(",Description not known"), QLatin1String(" not known"))
                    .replace(QLatin1Char(','), QLatin1Char(' ')),
                at);
            QVERIFY2(at >= 0, qPrintable(fact + " | " + text));
        }
    }
    // The text tells what happened in the order it happened.
    qsizetype at = 0;
    for (const QString& fact : holds) {
        at = copied.indexOf(fact, at);
        QVERIFY2(at >= 0, qPrintable(fact + " | " + copied));
    }
    for (const QString& fact : lacks)
        QVERIFY2(!copied.contains(fact), qPrintable(fact + " | " + copied));
}

void TestJobCard::screenReader() {
    SimFixture fixture(FastAdapter());
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    form.mnu_Setup->trigger();
    form.mnu_About->trigger();
    const QList<QPair<QWidget*, QStringList>> windows = {
        {&form,
         {Seen(QAccessible::PushButton, "Disconnect"), Seen(QAccessible::PushButton, "View DTC"),
          Seen(QAccessible::PushButton, "Clear DTC"), Seen(QAccessible::PushButton, "Exit"),
          Seen(QAccessible::StaticText, "Cluster Type"),
          Seen(QAccessible::StaticText, "Cluster Part #"), Seen(QAccessible::StaticText, "DTC #"),
          Seen(QAccessible::List, "DTC List"), Seen(QAccessible::StaticText, "Adapter"),
          Seen(QAccessible::StaticText, "Port"), Seen(QAccessible::StaticText, "Connection"),
          Seen(QAccessible::MenuItem, "Setup"), Seen(QAccessible::MenuItem, "About")}},
        {form.SetupDialog(),
         {Seen(QAccessible::List, "Comm Ports"), Seen(QAccessible::List, "Comm Speed"),
          Seen(QAccessible::PushButton, "Save"), Seen(QAccessible::PushButton, "Cancel")}},
        {form.AboutDialog(),
         {Seen(QAccessible::PushButton, "OK"), Seen(QAccessible::Graphic, "VORKEL icon"),
          Seen(QAccessible::StaticText, "VORKEL"),
          Seen(QAccessible::StaticText, "Version 1.0.0")}}};
    for (const auto& [window, expected] : windows) {
        QStringList seen;
        Walk(QAccessible::queryAccessibleInterface(window), seen);
        for (const QString& control : expected)
            QVERIFY2(seen.contains(control), qPrintable(control + " | " + seen.join(" / ")));
        // Nothing unnamed but the bare client area and the etched lines.
        for (const QString& control : seen)
            QVERIFY2(!control.endsWith(QLatin1Char(' ')) ||
                         control == Seen(QAccessible::Client, "") ||
                         control == Seen(QAccessible::Border, ""),
                     qPrintable(control + " | " + seen.join(" / ")));
    }
    // The value a label holds is read with it.
    QAccessibleInterface* count = QAccessible::queryAccessibleInterface(form.DTC_label);
    QCOMPARE(count->text(QAccessible::Value), QStringLiteral("3"));

    // The list's menu opens from the keyboard, its entries named.
    form.activateWindow();
    form.DTC_List->setFocus();
    for (const QKeyCombination keys :
         {QKeyCombination(Qt::Key_Menu), QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)}) {
        QStringList entries;
        QTimer::singleShot(200, [&entries] {
            QWidget* menu = QApplication::activePopupWidget();
            if (!menu) return;
            Walk(QAccessible::queryAccessibleInterface(menu), entries);
            menu->close();
        });
        QTest::keyClick(form.DTC_List, keys.key(), keys.keyboardModifiers());
        QTRY_VERIFY_WITH_TIMEOUT(!entries.isEmpty(), 3000);
        QTest::qWait(50);
        QVERIFY(!QApplication::activePopupWidget()); // one menu, not two
        for (const char* name :
             {"Copy", "Save Adapter Log...", "Save Report...", "Print Report..."})
            QVERIFY2(entries.contains(Seen(QAccessible::MenuItem, QLatin1String(name))),
                     qPrintable(entries.join(" / ")));
    }
}

QTEST_MAIN(TestJobCard)
#include "tst_job_card.moc"
