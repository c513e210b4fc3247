#include "pty_adapter.h"
#include "sim_arguments.h"

#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace vorkelsim;

namespace {

// A plain serial client on the slave side, as any terminal program would be.
class Client {
  public:
    explicit Client(const QString& path, speed_t speed = B38400) {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t{};
        if (m_fd >= 0 && tcgetattr(m_fd, &t) == 0) {
            cfmakeraw(&t);
            cfsetispeed(&t, speed);
            cfsetospeed(&t, speed);
            tcsetattr(m_fd, TCSANOW, &t);
        }
    }
    ~Client() {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }

    // Sends text and collects the answer until the prompt (or silence, or the limit).
    QByteArray talk(const QByteArray& text, int limitMs = 2000, bool untilPrompt = true) {
        if (!text.isEmpty()) [[maybe_unused]]
            auto n = ::write(m_fd, text.constData(), static_cast<size_t>(text.size()));
        return collect(limitMs, untilPrompt);
    }

    QByteArray collect(int limitMs, bool untilPrompt = true) {
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < limitMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 2) > 0) {
                if (p.revents & (POLLHUP | POLLERR)) {
                    m_hungUp = true;
                    char buffer[512];
                    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                    if (n > 0) out.append(buffer, n);
                    break;
                }
                char buffer[512];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n > 0) out.append(buffer, n);
            }
            if (untilPrompt && out.endsWith('>')) break;
        }
        return out;
    }
    bool hungUp() const { return m_hungUp; }

  private:
    int m_fd = -1;
    bool m_hungUp = false;
};

QByteArray Setup(Client& client) {
    QByteArray all;
    for (const char* command : {"atz\r\n", "atcaf1\r\n", "atspa6\r\n", "atsh720\r\n", "ath1\r\n"})
        all += client.talk(command);
    return all;
}

SimOptions Options(const QStringList& arguments) {
    const SimCommandLine line =
        ParseSimArguments(QStringList{QStringLiteral("vorkel-sim")} + arguments, QString());
    if (!line.error.isEmpty()) qFatal("bad arguments: %s", qPrintable(line.error));
    SimOptions options = line.options;
    options.resetDelayMs = line.options.resetDelayMs == 300 ? 0 : line.options.resetDelayMs;
    return options;
}

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

void TestSimulator::resetIsByteExact() {
    PtyAdapter sim(Options({}));
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
    PtyAdapter sim(Options({}));
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
    PtyAdapter sim(Options({QStringLiteral("--code-count"), QString::number(count)}));
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
    PtyAdapter sim(Options(arguments));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client);
    const QByteArray echo = request.left(request.indexOf('\r') + 1);
    QCOMPARE(client.talk(request, 3000), echo + expected);
}

void TestSimulator::silentAdapter() {
    PtyAdapter sim(Options({QStringLiteral("--silent")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    QCOMPARE(client.talk("atz\r\n", 400), QByteArray());
    QCOMPARE(sim.Received(), QByteArray("atz\r\n"));
}

void TestSimulator::strictModeStopsOnAnyByte() {
    PtyAdapter sim(
        Options({QStringLiteral("--strict"), QStringLiteral("--latency"), QStringLiteral("20")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client); // AT commands are not interrupted
    // The LF after the CR arrives while the request runs.
    QCOMPARE(client.talk("220200\r\n"), QByteArray("220200\rSTOPPED\r\r>"));
    QCOMPARE(client.talk("220200\r"), QByteArray("220200\r728 04 62 02 00 03 \r\r>"));
}

void TestSimulator::answersWithoutEnd_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("repeated");
    QTest::newRow("busy without end") << "--pending-forever" << QByteArray("728 03 7F 22 78 \r");
    QTest::newRow("noise without end") << "--endless" << QByteArray("\x80\xF8\x80\xF8");
}

void TestSimulator::answersWithoutEnd() {
    QFETCH(QString, option);
    QFETCH(QByteArray, repeated);
    SimOptions options = Options({option, QStringLiteral("220200")});
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

void TestSimulator::unplugClosesTheLine() {
    PtyAdapter sim(Options({QStringLiteral("--unplug"), QStringLiteral("1800FF00:20")}));
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

void TestSimulator::wrongSpeedGivesNoise() {
    PtyAdapter sim(Options({QStringLiteral("--baud"), QStringLiteral("38400")}));
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

void TestSimulator::pacingTakesWireTime() {
    PtyAdapter sim(Options({QStringLiteral("--wire-baud"), QStringLiteral("9600"),
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

void TestSimulator::clearKeepsActiveCodes() {
    PtyAdapter sim(Options({QStringLiteral("--keep-after-clear"), QStringLiteral("9317")}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    Setup(client);
    QCOMPARE(client.talk("14FF00\r\n"), QByteArray("14FF00\r728 03 54 FF 00 \r\r>"));
    QCOMPARE(client.talk("220200\r\n"), QByteArray("220200\r728 04 62 02 00 01 \r\r>"));
    QCOMPARE(client.talk("1800ff00\r\n"), QByteArray("1800ff00\r728 05 58 01 93 17 20 \r\r>"));
}

void TestSimulator::survivesTheHostClosing() {
    PtyAdapter sim(Options(
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

void TestSimulator::executableLinksAndUnlinks() {
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

void TestSimulator::timingOptions() {
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
        PtyAdapter sim(Options(c.arguments));
        QVERIFY(sim.Start());
        Client client(sim.SlavePath());
        QElapsedTimer clock;
        clock.start();
        const QByteArray answer = client.talk(c.request, 3000);
        QVERIFY(answer.endsWith('>'));
        QVERIFY2(clock.elapsed() >= c.atLeastMs, qPrintable(c.arguments.join(' ')));
    }
}

void TestSimulator::otherAdapterShapes() {
    PtyAdapter sim(Options({QStringLiteral("--banner"), QStringLiteral("OBDII v1.5"),
                            QStringLiteral("--late-line"), QStringLiteral("728 03 7F 3E 11 "),
                            QStringLiteral("--list-count"), QStringLiteral("5")}));
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

void TestSimulator::badArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("codes") << QStringList{"--codes", "92"};
    QTest::newRow("negative") << QStringList{"--negative", "18"};
    QTest::newRow("pending") << QStringList{"--pending", "22E21A"};
    QTest::newRow("prefix") << QStringList{"--prefix", "3R2"};
    QTest::newRow("unknown") << QStringList{"--frobnicate"};
}

void TestSimulator::badArguments() {
    QFETCH(QStringList, arguments);
    QVERIFY(!ParseSimArguments(QStringList{QStringLiteral("vorkel-sim")} + arguments, QString())
                 .error.isEmpty());
}

void TestSimulator::replayHostileInputs_data() {
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

void TestSimulator::replayHostileInputs() {
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
    PtyAdapter sim(Options({QStringLiteral("--replay"), path}));
    QVERIFY(sim.Start());
    Client client(sim.SlavePath());
    QCOMPARE(client.talk("atz\r", 500), answer);
}

QTEST_MAIN(TestSimulator)
#include "tst_simulator.moc"
