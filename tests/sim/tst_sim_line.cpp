// The simulator as a line: silence, interruptions, answers without end, a
// pulled plug, the wrong speed, pacing, its options and its executable.
#include "pty_adapter.h"
#include "sim_arguments.h"
#include "support/sim_client.h"
#include "support/sim_fixture.h"

#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorkelsim;
using simtest::Client;
using simtest::Setup;

class TestSimLine : public QObject {
    Q_OBJECT
  private slots:
    void silentAdapter();
    void strictModeStopsOnAnyByte();
    void answersWithoutEnd_data();
    void answersWithoutEnd();
    void unplugClosesTheLine();
    void wrongSpeedGivesNoise();
    void pacingTakesWireTime();
    void clearKeepsActiveCodes();
    void survivesTheHostClosing();
    void executableLinksAndUnlinks();
    void timingOptions();
    void otherAdapterShapes();
    void badArguments_data();
    void badArguments();
    void replayHostileInputs_data();
    void replayHostileInputs();
};

void TestSimLine::silentAdapter() {
    PtyAdapter sim(SimFromArguments({QStringLiteral("--silent")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    QCOMPARE(client.talk("atz\r\n", 400), QByteArray());
    QCOMPARE(sim.Received(), QByteArray("atz\r\n"));
}

void TestSimLine::strictModeStopsOnAnyByte() {
    PtyAdapter sim(SimFromArguments(
        {QStringLiteral("--strict"), QStringLiteral("--latency"), QStringLiteral("20")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client); // AT commands are not interrupted
    // The LF after the CR arrives while the request runs.
    QCOMPARE(client.talk("220200\r\n"), QByteArray("220200\rSTOPPED\r\r>"));
    QCOMPARE(client.talk("220200\r"), QByteArray("220200\r728 04 62 02 00 03 \r\r>"));
}

void TestSimLine::answersWithoutEnd_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("repeated");
    QTest::newRow("busy without end") << "--pending-forever" << QByteArray("728 03 7F 22 78 \r");
    QTest::newRow("noise without end") << "--endless" << QByteArray("\x80\xF8\x80\xF8");
}

void TestSimLine::answersWithoutEnd() {
    QFETCH(QString, option);
    QFETCH(QByteArray, repeated);
    SimOptions options = SimFromArguments({option, QStringLiteral("220200")});
    options.pendingRepeatMs = 100;
    PtyAdapter sim(options);
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client);
    const QByteArray answer = client.talk("220200\r", 700, false);
    QVERIFY2(answer.count(repeated) >= 3 && !answer.contains('>'), answer.constData());
    // The host moving on ends it.
    QCOMPARE(client.talk("ati\r"), QByteArray("ati\rELM327 v1.5\r\r>"));
    QCOMPARE(client.collect(300), QByteArray());
}

void TestSimLine::unplugClosesTheLine() {
    PtyAdapter sim(SimFromArguments({QStringLiteral("--unplug"), QStringLiteral("1800FF00:20")}));
    QVERIFY(sim.Start());
    QSignalSpy unplugged(&sim, &PtyAdapter::unplugged);
    Client client(sim.SlavePath());
    Setup(client);
    const QByteArray answer = client.talk("1800ff00\r\n", 1000);
    QCOMPARE(answer, QByteArray("1800ff00\r728 10 0B 58 03 92").left(20));
    QTRY_COMPARE(unplugged.count(), 1);
    QVERIFY(client.hungUp());
    QVERIFY(!sim.Plugged());
}

void TestSimLine::wrongSpeedGivesNoise() {
    PtyAdapter sim(SimFromArguments({QStringLiteral("--baud"), QStringLiteral("38400")}));
    QVERIFY(sim.Start());
    {
        Client client(sim.SlavePath(), B9600);
        for (const QByteArray& wake : {QByteArray("atz\r\n"), QByteArray("ATI\r")}) {
            const QByteArray answer = client.talk(wake, 400);
            QVERIFY(!answer.isEmpty());
            QVERIFY(!answer.contains('>'));
            QVERIFY(!answer.contains("ELM"));
        }
    }
    Client client(sim.SlavePath(), B38400);
    QCOMPARE(client.talk("atz\r\n"), QByteArray("atz\r\r\rELM327 v1.5\r\r>"));
}

void TestSimLine::pacingTakesWireTime() {
    PtyAdapter sim(SimFromArguments({QStringLiteral("--wire-baud"), QStringLiteral("9600"),
                                     QStringLiteral("--code-count"), QStringLiteral("20")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client);
    QElapsedTimer clock;
    clock.start();
    const QByteArray answer = client.talk("1800ff00\r\n", 5000);
    const qint64 elapsed = clock.elapsed();
    QVERIFY(answer.endsWith('>'));
    // At 9600 baud a byte takes about 1.04 ms on the wire.
    QVERIFY2(elapsed >= answer.size() * 10000 / 9600 - 5, qPrintable(QString::number(elapsed)));
}

void TestSimLine::clearKeepsActiveCodes() {
    PtyAdapter sim(
        SimFromArguments({QStringLiteral("--keep-after-clear"), QStringLiteral("9317")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client);
    QCOMPARE(client.talk("14FF00\r\n"), QByteArray("14FF00\r728 03 54 FF 00 \r\r>"));
    QCOMPARE(client.talk("220200\r\n"), QByteArray("220200\r728 04 62 02 00 01 \r\r>"));
    QCOMPARE(client.talk("1800ff00\r\n"), QByteArray("1800ff00\r728 05 58 01 93 17 20 \r\r>"));
}

void TestSimLine::survivesTheHostClosing() {
    PtyAdapter sim(SimFromArguments(
        {QStringLiteral("--linefeeds"), QStringLiteral("--junk"), QStringLiteral("--searching")}));
    QVERIFY(sim.Start());
    {
        Client client(sim.SlavePath());
        QCOMPARE(client.talk("atz\r\n"), QByteArray("atz\r\n\xFC\r\n\r\nELM327 v1.5\r\n\r\n>"));
    }
    Client again(sim.SlavePath());
    QCOMPARE(again.talk("atz\r\n"), QByteArray("atz\r\n\xFC\r\n\r\nELM327 v1.5\r\n\r\n>"));
    again.talk("atsh720\r\n");
    // Headers are off after the reset: the data bytes alone.
    QCOMPARE(again.talk("220200\r\n"),
             QByteArray("220200\r\nSEARCHING...\r\n62 02 00 03 \r\n\r\n>"));
}

void TestSimLine::executableLinksAndUnlinks() {
    QTemporaryDir dir;
    QProcess process;
    process.start(QStringLiteral(VORKEL_SIM_BINARY),
                  {QStringLiteral("--com"), QStringLiteral("5"), QStringLiteral("--ports-dir"),
                   dir.path(), QStringLiteral("--reset-delay"), QStringLiteral("0"),
                   QStringLiteral("--trace")});
    QVERIFY(process.waitForStarted(5000));
    const QString link = dir.filePath(QStringLiteral("COM5"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), 5000);
    {
        Client client(link);
        QCOMPARE(client.talk("atz\r\n", 3000), QByteArray("atz\r\r\rELM327 v1.5\r\r>"));
    }
    process.terminate();
    QVERIFY(process.waitForFinished(5000));
    const QByteArray output = process.readAllStandardOutput();
    QVERIFY2(output.contains("COM5"), output.constData());
    QVERIFY(output.contains("<- atz\\r\\n"));
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimLine::timingOptions() {
    struct Case {
        QStringList arguments;
        QByteArray request;
        int atLeastMs;
    };
    const Case cases[] = {
        {{"--reset-delay", "400"}, "atz\r\n", 400},
        {{"--latency", "150"}, "ati\r\n", 150},
        // One byte a millisecond at the least: the answer cannot arrive in one piece.
        {{"--split"}, "ati\r\n", 15},
    };
    for (const Case& c : cases) {
        PtyAdapter sim(SimFromArguments(c.arguments));
        QVERIFY(sim.Start());
        Client client(sim.SlavePath());
        QElapsedTimer clock;
        clock.start();
        const QByteArray answer = client.talk(c.request, 3000);
        QVERIFY(answer.endsWith('>'));
        QVERIFY2(clock.elapsed() >= c.atLeastMs, qPrintable(c.arguments.join(' ')));
    }
}

void TestSimLine::otherAdapterShapes() {
    PtyAdapter sim(SimFromArguments(
        {QStringLiteral("--banner"), QStringLiteral("OBDII v1.5"), QStringLiteral("--late-line"),
         QStringLiteral("728 03 7F 3E 11 "), QStringLiteral("--list-count"), QStringLiteral("5")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    QCOMPARE(client.talk("atz\r\n"), QByteArray("atz\r\r\rOBDII v1.5\r\r>"));
    Setup(client);
    // The late frame follows the prompt, unasked.
    QCOMPARE(client.talk("220200\r\n", 300, false),
             QByteArray("220200\r728 04 62 02 00 03 \r\r>728 03 7F 3E 11 \r"));
    // The count byte says 5; the reply holds three codes.
    QCOMPARE(client.talk("1800ff00\r\n").left(37),
             QByteArray("1800ff00\r728 10 0B 58 05 92 01 20 A6 "));
    client.talk("\r", 300, false); // drop the late frame
    // Headers off: the length line, then numbered segments without protocol bytes.
    client.talk("ath0\r\n", 300, false);
    QCOMPARE(
        client.talk("1800ff00\r\n", 300, false),
        QByteArray(
            "1800ff00\r00B\r0: 58 05 92 01 20 A6 \r1: 80 20 D9 00 20 \r\r>728 03 7F 3E 11 \r"));
}

void TestSimLine::badArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("codes") << QStringList{"--codes", "92"};
    QTest::newRow("negative") << QStringList{"--negative", "18"};
    QTest::newRow("pending") << QStringList{"--pending", "22E21A"};
    QTest::newRow("prefix") << QStringList{"--prefix", "3R2"};
    QTest::newRow("unknown") << QStringList{"--frobnicate"};
}

void TestSimLine::badArguments() {
    QFETCH(QStringList, arguments);
    QVERIFY(!ParseSimArguments(QStringList{QStringLiteral("vorkel-sim")} + arguments, QString())
                 .error.isEmpty());
}

void TestSimLine::replayHostileInputs_data() {
    QTest::addColumn<QByteArray>("log");    // "fifo" and "folder": that, in place of a file
    QTest::addColumn<QString>("refusal");   // a part of vorkel-sim's message; empty: it replays
    QTest::addColumn<QByteArray>("answer"); // to atz within half a second, when it replays
    const QByteArray atz = "0 > atz\\r\n";
    QTest::newRow("an empty chunk") << atz + "1 < \n2 < ELM327 v1.5\\r\\r>\n"
                                    << QString() << QByteArray("ELM327 v1.5\r\r>");
    QTest::newRow("a pause past 2^32 ms is capped, not wrapped")
        << atz + "4294967396 < ELM327 v1.5\\r\\r>\n"
        << QString() << QByteArray();
    QTest::newRow("a bad escape") << atz + "1 < ELM\\xZZ327\n"
                                  << "line 2: a bad escape" << QByteArray();
    QTest::newRow("nothing but a bad escape") << atz + "0 < \\xZZ\n"
                                              << "line 2: a bad escape" << QByteArray();
    QTest::newRow("an empty file") << QByteArray() << "not an adapter log" << QByteArray();
    const QByteArray noAnswers = atz + "# session\n";
    QTest::newRow("no answer lines") << noAnswers << "not an adapter log" << QByteArray();
    QTest::newRow("a FIFO with no writer")
        << QByteArray("fifo") << "not a regular file" << QByteArray();
    QTest::newRow("a folder") << QByteArray("folder") << "not a regular file" << QByteArray();
}

void TestSimLine::replayHostileInputs() {
    QFETCH(QByteArray, log);
    QFETCH(QString, refusal);
    QFETCH(QByteArray, answer);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("vorkel.log"));
    if (log == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (log == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (QFile file(path); file.open(QIODevice::WriteOnly))
        file.write(log);
    if (!refusal.isEmpty()) {
        QProcess sim;
        sim.start(QStringLiteral(VORKEL_SIM_BINARY), {QStringLiteral("--replay"), path});
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        const QString said = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(said.contains(path) && said.contains(refusal), qPrintable(said));
        return;
    }
    PtyAdapter sim(SimFromArguments({QStringLiteral("--replay"), path}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    QCOMPARE(client.talk("atz\r", 500), answer);
}

QTEST_MAIN(TestSimLine)
#include "tst_sim_line.moc"
