#include "common/status_bar.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

using namespace vorkel;

class TestStatusBar : public QObject {
    Q_OBJECT
  private slots:
    void messages_data();
    void messages();
};

void TestStatusBar::messages_data() {
    // Steps: "notice|TEXT|MS[|WHOLE]", "after|TEXT|MS", "progress|TEXT", "end", "wait|MS".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("whole");
    QTest::addColumn<int>("announcements");
    const QString tick5 = QStringLiteral("progress|Calling the adapter... (up to 5 s)");
    const QString tick4 = QStringLiteral("progress|Calling the adapter... (up to 4 s)");
    const QString refused = QStringLiteral("notice|Clear DTC cannot be stopped now.|300");
    QTest::newRow("a countdown is announced once")
        << QStringList{tick5, tick4} << "Calling the adapter... (up to 4 s)"
        << "Calling the adapter... (up to 4 s)" << 1;
    QTest::newRow("a notice stands against the countdown")
        << QStringList{refused, tick5, tick4} << "Clear DTC cannot be stopped now."
        << "Clear DTC cannot be stopped now." << 1;
    QTest::newRow("the countdown comes back after the notice")
        << QStringList{tick5, refused, tick4, QStringLiteral("wait|500")}
        << "Calling the adapter... (up to 4 s)"
        << "Calling the adapter... (up to 4 s)" << 3;
    QTest::newRow("the wait's end keeps the notice")
        << QStringList{tick5, refused, QStringLiteral("end")} << "Clear DTC cannot be stopped now."
        << "Clear DTC cannot be stopped now." << 2;
    QTest::newRow("the wait's end takes its words")
        << QStringList{tick5, QStringLiteral("end")} << ""
        << "" << 1;
    QTest::newRow("a notice after the one that stands")
        << QStringList{refused, QStringLiteral("after|Shown from before.|300"),
                       QStringLiteral("wait|500")}
        << "Shown from before."
        << "Shown from before." << 2;
    QTest::newRow("a saved file: its name, and its path for the tooltip")
        << QStringList{QStringLiteral("notice|Saved: r.pdf|300|Saved: /home/ann/r.pdf")}
        << "Saved: r.pdf"
        << "Saved: /home/ann/r.pdf" << 1;
}

void TestStatusBar::messages() {
    QFETCH(QStringList, steps);
    QFETCH(QString, shown);
    QFETCH(QString, whole);
    QFETCH(int, announcements);
    StatusBar bar(87);
    bar.resize(280, 25);
    bar.show();
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
}

QTEST_MAIN(TestStatusBar)
#include "tst_status_bar.moc"
