// The job card a workshop keeps (saved as a PDF, printed, copied), read back
// as a user's tools read it; and the windows as a screen reader sees them.
#include "app/form1.h"
#include "common/status_bar.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/time_scale.h"
#include "support/window_driver.h"

#include <QAccessible>
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
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QStringList>("holds"); // besides the program, part number and model
    const QString first = QStringLiteral("B1201,Fuel Sender Circuit Failure");
    const QString second = QStringLiteral("B2680,Odometer Changed");
    QTest::newRow("no codes") << QStringList{"--codes", ""} << false
                              << QStringList{"DTC count: 0", "(none listed)"};
    QTest::newRow("incomplete list")
        << QStringList{"--drop-frame", "1"} << false
        << QStringList{"DTC count: 3", first, "the list arrived incomplete"};
    QTest::newRow("after Clear") << QStringList{} << true
                                 << QStringList{"Erased by Clear DTC", first, second,
                                                "U1900,CAN Comms Bus Fault Receive Error",
                                                "DTC count after Clear: 0"};
}

void TestJobCard::report() {
    QFETCH(QStringList, faults);
    QFETCH(bool, clear);
    QFETCH(QStringList, holds);
    SimFixture fixture(SimFromArguments(faults));
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    QVERIFY(!form.mnu_SaveReport->isEnabled() && !form.mnu_PrintReport->isEnabled());
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    if (clear) QTest::mouseClick(form.DTC_Clear_Button, Qt::LeftButton);
    QVERIFY(form.mnu_SaveReport->isEnabled() && form.mnu_PrintReport->isEnabled());

    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("saved.pdf"));
    form.setFileChooser([&saved](const QString&, const QString& suggested) {
        return suggested.contains(QLatin1String("vorkel-report-")) ? saved : QString();
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
    form.mnu_Copy->trigger();
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(messages.texts().size(), int(faults.contains(QStringLiteral("--drop-frame"))));

    holds << QStringLiteral("VORKEL 1.0.0") << QStringLiteral("3R23-10849-BA")
          << QStringLiteral("BA Futura") << QStringLiteral("COM%1").arg(fixture.comPort());
    for (const QString& path : {saved, printed}) {
        int pages = 0;
        const QString text = PdfText(path, &pages).simplified();
        QCOMPARE(pages, 1);
        for (const QString& fact : holds) // the code and its description stand in cells
            QVERIFY2(text.contains(QString(fact).replace(QLatin1Char(','), QLatin1Char(' '))),
                     qPrintable(fact + " | " + text));
    }
    for (const QString& fact : holds)
        QVERIFY2(copied.contains(fact), qPrintable(fact + " | " + copied));
    // After Clear, the erased codes stand under "Erased" only.
    if (clear) QVERIFY(!copied.section(QStringLiteral("Erased"), 0, 0).contains(holds.value(1)));
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
