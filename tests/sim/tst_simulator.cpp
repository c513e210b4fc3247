#include "pty_adapter.h"
#include "sim_arguments.h"
#include "support/sim_client.h"
#include "support/sim_fixture.h"

#include <QtTest>

using namespace vorkelsim;
using simtest::Client;
using simtest::Setup;

namespace {

// The payload of a multi-line answer, reassembled from the frames' PCI bytes.
struct Reassembled {
    QList<int> payload;
    QString problem;
};

Reassembled Reassemble(const QByteArray& answer) {
    Reassembled r;
    int expected = -1;
    int sequence = 1;
    for (const QByteArray& line : answer.split('\r')) {
        if (!line.startsWith("728 ")) continue;
        QList<int> bytes;
        for (const QByteArray& b : line.mid(4).split(' '))
            if (!b.isEmpty()) bytes << b.toInt(nullptr, 16);
        const int pci = bytes.value(0);
        if (pci < 0x10) {
            expected = pci;
            r.payload = bytes.mid(1, pci);
        } else if (pci < 0x20) {
            expected = (pci & 0x0F) << 8 | bytes.value(1);
            r.payload = bytes.mid(2);
            if (bytes.size() != 8)
                r.problem = QStringLiteral("first frame of %1 bytes").arg(bytes.size());
        } else {
            if (pci != (0x20 | sequence))
                r.problem = QStringLiteral("sequence %1 where %2 was due")
                                .arg(pci, 0, 16)
                                .arg(0x20 | sequence, 0, 16);
            sequence = (sequence + 1) & 0x0F;
            r.payload += bytes.mid(1);
        }
    }
    if (r.payload.size() < expected) r.problem = QStringLiteral("short payload");
    r.payload = r.payload.mid(0, expected);
    return r;
}

} // namespace

class TestSimulator : public QObject {
    Q_OBJECT
  private slots:
    void resetIsByteExact();
    void workedExamplesAreByteExact();
    void multiFrameCodes_data();
    void multiFrameCodes();
    void faults_data();
    void faults();
};

void TestSimulator::resetIsByteExact() {
    PtyAdapter sim(SimFromArguments({}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    QVERIFY(client.isOpen());
    QCOMPARE(client.talk("atz\r\n"), QByteArray("atz\r\r\rELM327 v1.5\r\r>"));
    QCOMPARE(client.talk("ate0\r"), QByteArray("ate0\rOK\r\r>"));
    QCOMPARE(client.talk("ati\r"), QByteArray("ELM327 v1.5\r\r>"));
    QCOMPARE(client.talk("at@1\r"), QByteArray("OBDII to RS232 Interpreter\r\r>"));
    QCOMPARE(client.talk("at rv\r"), QByteArray("12.6V\r\r>"));
    QCOMPARE(client.talk("atspa6\r"), QByteArray("OK\r\r>"));
    QCOMPARE(client.talk("atdpn\r"), QByteArray("A6\r\r>"));
    QCOMPARE(client.talk("atxyz\r"), QByteArray("?\r\r>"));
    QCOMPARE(client.talk("\r"), QByteArray("?\r\r>")); // a lone CR repeats the last command
    QCOMPARE(client.talk("hello\r"), QByteArray("?\r\r>"));
    QCOMPARE(client.talk("atws\r"), QByteArray("\r\rELM327 v1.5\r\r>"));
}

void TestSimulator::workedExamplesAreByteExact() {
    PtyAdapter sim(SimFromArguments({}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    QCOMPARE(client.talk("atz\r\n"), QByteArray("atz\r\r\rELM327 v1.5\r\r>"));
    QCOMPARE(client.talk("atcaf1\r\n"), QByteArray("atcaf1\rOK\r\r>"));
    QCOMPARE(client.talk("atspa6\r\n"), QByteArray("atspa6\rOK\r\r>"));
    QCOMPARE(client.talk("atsh720\r\n"), QByteArray("atsh720\rOK\r\r>"));
    QCOMPARE(client.talk("ath1\r\n"), QByteArray("ath1\rOK\r\r>"));
    QCOMPARE(client.talk("22e21a\r\n"), QByteArray("22e21a\r728 07 62 E2 1A 33 52 32 33 \r\r>"));
    QCOMPARE(client.talk("22e217\r\n"), QByteArray("22e217\r728 07 62 E2 17 01 00 08 49 \r\r>"));
    QCOMPARE(client.talk("22e219\r\n"), QByteArray("22e219\r728 05 62 E2 19 02 00 \r\r>"));
    QVERIFY(client.talk("22e200\r\n").startsWith("22e200\r728 07 62 E2 00 "));
    QCOMPARE(client.talk("220200\r\n"), QByteArray("220200\r728 04 62 02 00 03 \r\r>"));
    QCOMPARE(client.talk("1800ff00\r\n"),
             QByteArray("1800ff00\r728 10 0B 58 03 92 01 20 A6 \r728 21 80 20 D9 00 20 \r\r>"));
    QCOMPARE(client.talk("22f190\r\n"), QByteArray("22f190\r728 03 7F 22 31 \r\r>"));
    QCOMPARE(client.talk("3e00\r\n"), QByteArray("3e00\r728 03 7F 3E 11 \r\r>"));
    QCOMPARE(client.talk("14FF00\r\n"), QByteArray("14FF00\r728 03 54 FF 00 \r\r>"));
    QCOMPARE(client.talk("220200\r\n"), QByteArray("220200\r728 04 62 02 00 00 \r\r>"));
    QCOMPARE(client.talk("1800ff00\r\n"), QByteArray("1800ff00\r728 02 58 00 \r\r>"));
    // Headers off: the protocol-control byte is not shown.
    client.talk("ath0\r\n");
    QCOMPARE(client.talk("22e21a\r\n"), QByteArray("22e21a\r62 E2 1A 33 52 32 33 \r\r>"));
    client.talk("atsh7e0\r\n");
    QCOMPARE(client.talk("22e21a\r\n", 3000), QByteArray("22e21a\rNO DATA\r\r>"));
}

void TestSimulator::multiFrameCodes_data() {
    QTest::addColumn<int>("count");
    for (int n : {0, 1, 2, 3, 4, 5, 11, 18, 19, 20, 25, 255})
        QTest::newRow(QByteArray::number(n).constData()) << n;
}

void TestSimulator::multiFrameCodes() {
    QFETCH(int, count);
    PtyAdapter sim(SimFromArguments({QStringLiteral("--code-count"), QString::number(count)}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client);
    const QByteArray answer = client.talk("1800ff00\r\n", 5000);
    QVERIFY2(answer.endsWith("\r\r>"), answer.right(40).constData());
    const Reassembled r = Reassemble(answer);
    QVERIFY2(r.problem.isEmpty(), qPrintable(r.problem));
    QCOMPARE(r.payload.size(), 2 + 3 * count);
    QCOMPARE(r.payload[0], 0x58);
    QCOMPARE(r.payload[1], count);
    const std::vector<DtcRecord> codes = GeneratedCodes(count);
    for (int k = 0; k < count; ++k) {
        QCOMPARE(r.payload[2 + 3 * k], int(codes[static_cast<std::size_t>(k)].high));
        QCOMPARE(r.payload[3 + 3 * k], int(codes[static_cast<std::size_t>(k)].low));
        QCOMPARE(r.payload[4 + 3 * k], 0x20);
    }
    const int frames = int(answer.count("728 "));
    QCOMPARE(frames, 2 + 3 * count <= 7 ? 1 : 1 + (2 + 3 * count - 6 + 6) / 7);
    if (count == 255)
        QVERIFY(answer.contains("728 2F ") && answer.contains("728 20 ")); // the sequence wraps
}

void TestSimulator::faults_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expected"); // the whole answer after the echo
    QTest::newRow("refuse a set-up command")
        << QStringList{"--refuse", "atcaf1"} << QByteArray("atcaf1\r\n") << QByteArray("?\r\r>");
    QTest::newRow("no data") << QStringList{"--no-data", "22E219"} << QByteArray("22e219\r\n")
                             << QByteArray("NO DATA\r\r>");
    QTest::newRow("no data for all")
        << QStringList{"--no-data", "*"} << QByteArray("220200\r\n") << QByteArray("NO DATA\r\r>");
    QTest::newRow("negative response")
        << QStringList{"--negative", "18:31"} << QByteArray("1800ff00\r\n")
        << QByteArray("728 03 7F 18 31 \r\r>");
    QTest::newRow("pending within the time-out")
        << QStringList{"--pending", "220200:2"} << QByteArray("220200\r\n")
        << QByteArray("728 03 7F 22 78 \r728 03 7F 22 78 \r728 04 62 02 00 03 \r\r>");
    QTest::newRow("pending beyond the time-out")
        << QStringList{"--pending-late", "14FF00"} << QByteArray("14FF00\r\n")
        << QByteArray("728 03 7F 14 78 \r\r>");
    QTest::newRow("can error") << QStringList{"--can-error", "220200"} << QByteArray("220200\r\n")
                               << QByteArray("CAN ERROR\r\r>");
    QTest::newRow("buffer full") << QStringList{"--buffer-full", "1800FF00"}
                                 << QByteArray("1800ff00\r\n")
                                 << QByteArray("728 10 0B 58 03 92 01 20 A6 \rBUFFER FULL\r\r>");
    QTest::newRow("count disagrees with the list")
        << QStringList{"--count-reports", "1"} << QByteArray("220200\r\n")
        << QByteArray("728 04 62 02 00 01 \r\r>");
    QTest::newRow("padding shown") << QStringList{"--padding", "AA"} << QByteArray("220200\r\n")
                                   << QByteArray("728 04 62 02 00 03 AA AA AA \r\r>");
    QTest::newRow("split bytes") << QStringList{"--split"} << QByteArray("220200\r\n")
                                 << QByteArray("728 04 62 02 00 03 \r\r>");
    QTest::newRow("identity") << QStringList{"--prefix", "5R29", "--model", "14", "--letter", "1A"}
                              << QByteArray("22e219\r\n")
                              << QByteArray("728 05 62 E2 19 14 1A \r\r>");
    QTest::newRow("latency") << QStringList{"--latency", "100"} << QByteArray("220200\r\n")
                             << QByteArray("728 04 62 02 00 03 \r\r>");
    QTest::newRow("stopped") << QStringList{"--stopped", "220200"} << QByteArray("220200\r")
                             << QByteArray("STOPPED\r\r>");
    QTest::newRow("a consecutive frame lost")
        << QStringList{"--code-count", "5", "--drop-frame", "1"} << QByteArray("1800ff00\r")
        << QByteArray("728 10 11 58 05 92 01 20 93 \r728 22 20 94 99 20 \r\r>");
    QTest::newRow("replay: the recorded answer, busy frames and all")
        << QStringList{"--replay", TRANSCRIPTS_DIR "/handwritten-busy-chain.log", "--replay-fast"}
        << QByteArray("1800ff00\r")
        << QByteArray("728 03 7F 18 78 \r728 03 7F 18 78 \r728 03 7F 18 78 \r"
                      "728 10 0B 58 03 92 01 20 A6 \r728 21 80 20 D9 00 20 \r\r>");
    QTest::newRow("the first frame lost")
        << QStringList{"--drop-frame", "0"} << QByteArray("1800ff00\r")
        << QByteArray("728 21 80 20 D9 00 20 \r\r>");
    QTest::newRow("a frame cut in a byte")
        << QStringList{"--cut-frame", "1"} << QByteArray("1800ff00\r")
        << QByteArray("728 10 0B 58 03 92 01 20 A6 \r728 21 80 20 D\r\r>");
    QTest::newRow("a frame with DATA ERROR")
        << QStringList{"--error-frame", "0"} << QByteArray("1800ff00\r")
        << QByteArray("728 10 0B 58 03 92 01 20 A6 <DATA ERROR\r728 21 80 20 D9 00 20 \r\r>");
    QTest::newRow("a padded frame loses a byte")
        << QStringList{"--padding", "00", "--drop-byte", "1"} << QByteArray("1800ff00\r")
        << QByteArray("728 10 0B 58 03 92 01 20 A6 \r728 21 80 20 00 20 00 00 \r\r>");
    QTest::newRow("DATA ERROR straight after the answer")
        << QStringList{"--error-answer", "14FF00"} << QByteArray("14FF00\r")
        << QByteArray("728 03 54 FF 00<DATA ERROR\r\r>");
    QTest::newRow("genuine: padding shown")
        << QStringList{"--personality", "genuine", "--reset-delay", "0"} << QByteArray("220200\r")
        << QByteArray("728 04 62 02 00 03 00 00 00 \r\r>");
    QTest::newRow("clone21: no blank before the CR")
        << QStringList{"--personality", "clone21", "--reset-delay", "0"} << QByteArray("14FF00\r")
        << QByteArray("728 03 54 FF 00\r\r>");
    QTest::newRow("busy bus: other units before and after")
        << QStringList{"--personality", "busy-bus", "--reset-delay", "0"} << QByteArray("220200\r")
        << QByteArray("7E8 03 41 0D 00 \r728 04 62 02 00 03 \r72A 02 01 00 \r\r>");
    QTest::newRow("bt-slow: the protocol search first")
        << QStringList{"--personality", "bt-slow", "--reset-delay", "0"} << QByteArray("220200\r")
        << QByteArray("SEARCHING...\r728 04 62 02 00 03 \r\r>");
}

void TestSimulator::faults() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expected);
    PtyAdapter sim(SimFromArguments(arguments));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client);
    const QByteArray echo = request.left(request.indexOf('\r') + 1);
    QCOMPARE(client.talk(request, 3000), echo + expected);
}

QTEST_MAIN(TestSimulator)
#include "tst_simulator.moc"
