#include "app/startup.h"
#include "common/status_bar.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

using namespace vorkel;

class TestStatusBar : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { SetDialogFont(); } // the program's own font, as the window has it
    void messages_data();
    void messages();
    void panelShortened();
};

void TestStatusBar::messages_data() {
    // Steps: "notice|TEXT|MS[|WHOLE]", "after|TEXT|MS", "progress|TEXT", "end", "wait|MS".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("whole");
    QTest::addColumn<int>("announcements");
    QTest::addColumn<bool>("cut"); // the bar draws it shortened with "..."
    const QString tick5 = QStringLiteral("progress|Calling the adapter... (up to 5 s)");
    const QString tick4 = QStringLiteral("progress|Calling the adapter... (up to 4 s)");
    const QString refused = QStringLiteral("notice|Clear DTC cannot be stopped now.|300");
    QTest::newRow("a countdown is announced once")
        << QStringList{tick5, tick4} << "Calling the adapter... (up to 4 s)"
        << "Calling the adapter... (up to 4 s)" << 1 << false;
    QTest::newRow("a notice stands against the countdown")
        << QStringList{refused, tick5, tick4} << "Clear DTC cannot be stopped now."
        << "Clear DTC cannot be stopped now." << 1 << false;
    QTest::newRow("the countdown comes back after the notice")
        << QStringList{tick5, refused, tick4, QStringLiteral("wait|500")}
        << "Calling the adapter... (up to 4 s)"
        << "Calling the adapter... (up to 4 s)" << 3 << false;
    QTest::newRow("the wait's end keeps the notice")
        << QStringList{tick5, refused, QStringLiteral("end")} << "Clear DTC cannot be stopped now."
        << "Clear DTC cannot be stopped now." << 2 << false;
    QTest::newRow("the wait's end takes its words")
        << QStringList{tick5, QStringLiteral("end")} << ""
        << "" << 1 << false;
    QTest::newRow("a notice after the one that stands")
        << QStringList{refused, QStringLiteral("after|Shown from before.|300"),
                       QStringLiteral("wait|500")}
        << "Shown from before."
        << "Shown from before." << 2 << false;
    QTest::newRow("a saved file: its name, and its path for the tooltip")
        << QStringList{QStringLiteral("notice|Saved: r.pdf|300|Saved: /home/ann/r.pdf")}
        << "Saved: r.pdf"
        << "Saved: /home/ann/r.pdf" << 1 << false;
    const QString stopped =
        QStringLiteral("Reading the trouble codes was stopped by the user. The list was not read "
                       "again: the codes shown are from before.");
    QTest::newRow("too long for its room: shortened, whole in the tooltip")
        << QStringList{QStringLiteral("notice|") + stopped + QStringLiteral("|300")} << stopped
        << stopped << 1 << true;
}

void TestStatusBar::messages() {
    QFETCH(QStringList, steps);
    QFETCH(QString, shown);
    QFETCH(QString, whole);
    QFETCH(int, announcements);
    QFETCH(bool, cut);
    StatusBar bar(87);
    bar.resize(480, 25);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    // What a screen reader is told: once for each new message.
    QSignalSpy announced(&bar, &StatusBar::Announced);
    for (const QString& step : steps) {
        const QStringList part = step.split(QLatin1Char('|'));
        const QString kind = part[0];
        if (kind == QLatin1String("notice"))
            bar.ShowNotice(part[1], part[2].toInt(), part.value(3));
        else if (kind == QLatin1String("after"))
            bar.ShowNoticeAfter(part[1], part[2].toInt());
        else if (kind == QLatin1String("progress"))
            bar.ShowProgress(part[1]);
        else if (kind == QLatin1String("end"))
            bar.EndProgress();
        else if (kind == QLatin1String("wait"))
            QTest::qWait(part[1].toInt());
    }
    QCOMPARE(bar.currentMessage(), shown);
    QCOMPARE(bar.toolTip(), whole);
    QCOMPARE(QAccessible::queryAccessibleInterface(&bar)->text(QAccessible::Description), whole);
    QCOMPARE(announced.size(), announcements);
    if (cut) {
        QVERIFY2(bar.ShownMessage().endsWith(QChar(0x2026)) &&
                     bar.ShownMessage().size() < shown.size(),
                 qPrintable(bar.ShownMessage()));
    } else {
        QCOMPARE(bar.ShownMessage(), shown);
    }
}

void TestStatusBar::panelShortened() {
    // Panel 2 names a Bluetooth adapter wider than itself: whole in its tooltip.
    StatusBar bar(87);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    const QString adapter = QStringLiteral("Bluetooth OBDII 00:1D:A5:68:98:8B");
    bar.setPanelText(2, adapter);
    QCOMPARE(bar.panel(2)->toolTip(), adapter);
    QCOMPARE(QAccessible::queryAccessibleInterface(bar.panel(2))->text(QAccessible::Description),
             adapter);
    bar.setPanelText(2, QStringLiteral("COM 3 / 38400"));
    QCOMPARE(bar.panel(2)->toolTip(), QString());
}

QTEST_MAIN(TestStatusBar)
#include "tst_status_bar.moc"
