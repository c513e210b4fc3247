#include "common/shared_state.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_descriptions.h"
#include "dtc/dtc_reply.h"
#include "link/reply_lines.h"
#include "support/sim_fixture.h"

#include <QtTest>

using namespace vorkel;

namespace {

// The reply as the adapter prints it with headers on: line 1 without its
// "728 ", the further lines with it. Framing written out here independently.
QStringList ReplyLines(const QList<int>& payload, bool padded = false) {
    const auto hex = [](const QList<int>& bytes) {
        QString text;
        for (int b : bytes)
            text += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        return text + QLatin1Char('\r');
    };
    QStringList lines;
    if (payload.size() <= 7) {
        QList<int> frame{int(payload.size())};
        frame += payload;
        while (padded && frame.size() < 8)
            frame << 0xAA;
        return {hex(frame)};
    }
    lines << hex(QList<int>{0x10 | int(payload.size() >> 8), int(payload.size() & 0xFF)} +
                 payload.mid(0, 6));
    int sequence = 1;
    for (qsizetype at = 6; at < payload.size(); at += 7) {
        lines << QStringLiteral("728 ") + hex(QList<int>{0x20 | sequence} + payload.mid(at, 7));
        sequence = (sequence + 1) & 0x0F;
    }
    return lines;
}

QList<int> CodesPayload(int count, int stored = -1) {
    QList<int> payload{0x58, count};
    for (int k = 1; k <= (stored < 0 ? count : stored); ++k)
        payload << (0x90 + k % 16) << k << 0x20; // code k is "9k" + k in hex
    return payload;
}

QString CodeText(int k) {
    return QStringLiteral("%1%2")
        .arg(0x90 + k % 16, 2, 16, QLatin1Char('0'))
        .arg(k, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

class TestDtcReply : public QObject {
    Q_OBJECT
  private slots:
    void linesNeeded_data();
    void linesNeeded();
    void decode_data();
    void decode();
    void everyCodePosition_data();
    void everyCodePosition();
    void negativeFrame();
    void wholeFrame_data();
    void wholeFrame();
    void hexTextValue_data();
    void hexTextValue();
    void countValueText_data();
    void countValueText();
    void descriptions_data();
    void descriptions();
};

void TestDtcReply::linesNeeded_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lines");
    const int rows[][2] = {{0, 1},  {1, 1},  {2, 2},  {3, 2},  {4, 2},  {5, 3},  {6, 3},
                           {7, 4},  {8, 4},  {9, 5},  {11, 5}, {12, 6}, {14, 7}, {16, 8},
                           {18, 8}, {19, 9}, {20, 9}, {25, 9}, {255, 9}};
    for (const auto& r : rows)
        QTest::newRow(QByteArray::number(r[0]).constData()) << r[0] << r[1];
}

void TestDtcReply::linesNeeded() {
    QFETCH(int, count);
    QFETCH(int, lines);
    QCOMPARE(DtcLinesNeeded(count), lines);
}

void TestDtcReply::decode_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<bool>("complete");
    QTest::newRow("worked example, three codes")
        << QStringList{"10 0B 58 03 92 01 20 A6 \r", "728 21 80 20 D9 00 20 \r"} << "3" << 3
        << QStringList{"9201", "A680", "D900"} << true;
    QTest::newRow("single-frame example")
        << QStringList{"05 58 01 93 17 20 \r"} << "1" << 1 << QStringList{"9317"} << true;
    QTest::newRow("no codes, count byte 00")
        << QStringList{"02 58 00 \r"} << "0" << 0 << QStringList{} << true;
    QTest::newRow("no codes, padding shown")
        << ReplyLines({0x58, 0x00}, true) << "0" << 0 << QStringList{} << true;
    QTest::newRow("one code, padding shown") << ReplyLines({0x58, 0x01, 0x93, 0x17, 0x20}, true)
                                             << "1" << 1 << QStringList{"9317"} << true;
    // The count changed between the count request and the list request.
    QTest::newRow("label says 1, reply has 3")
        << QStringList{"10 0B 58 03 92 01 20 A6 \r", "728 21 80 20 D9 00 20 \r"} << "1" << 3
        << QStringList{"9201", "A680", "D900"} << true;
    QTest::newRow("label says 3, reply has 1")
        << QStringList{"05 58 01 93 17 20 \r"} << "3" << 1 << QStringList{"9317"} << true;
    QTest::newRow("label says 1, reply has none")
        << QStringList{"02 58 00 \r"} << "1" << 0 << QStringList{} << true;
    // Damaged or missing frames: only whole frames before the first bad one count.
    QTest::newRow("count 5, only two lines came")
        << ReplyLines(CodesPayload(5)).mid(0, 2) << "5" << 5
        << QStringList{CodeText(1), CodeText(2), CodeText(3), CodeText(4), ""} << false;
    QTest::newRow("unreadable frame, label 1")
        << QStringList{"xx 58 01 93 17 20 \r"} << "1" << 0 << QStringList{""} << false;
    QTest::newRow("unreadable frame, label 3")
        << QStringList{"xx 0B 58 03 92 01 20 A6 \r"} << "3" << 0 << QStringList{"", ""} << false;
    QTest::newRow("first frame lost, label 3")
        << QStringList{"21 80 20 D9 00 20 \r"} << "3" << 0 << QStringList{""} << false;
    QTest::newRow("first frame lost, label 1")
        << QStringList{"21 80 20 D9 00 20 \r"} << "1" << 0 << QStringList{""} << false;
    QTest::newRow("first frame under label 1: multi-frame rule")
        << QStringList{"10 0B 58 03 92 01 20 A6 \r", "728 21 80 20 D9 00 20 \r"} << "1" << 3
        << QStringList{"9201", "A680", "D900"} << true;
    QTest::newRow("second line cut in a byte")
        << QStringList{"10 0B 58 03 92 01 20 A6 \r", "728 21 80 20 D9 0\r"} << "3" << 3
        << QStringList{"9201", "", ""} << false;
    QTest::newRow("second line with an error marker")
        << QStringList{"10 0B 58 03 92 01 20 A6 \r", "728 21 80 20 D9 00 20 <DATA ERROR\r"} << "3"
        << 3 << QStringList{"9201", "", ""} << false;
    QTest::newRow("line 1 with an error marker")
        << QStringList{"10 0B 58 03 92 01 20 A6 <RX ERROR\r", "728 21 80 20 D9 00 20 \r"} << "3"
        << 0 << QStringList{"", "", ""} << false;
    QTest::newRow("single frame short of its length")
        << QStringList{"05 58 01 93 \r"} << "1" << 0 << QStringList{""} << false;
    QTest::newRow("length holds fewer codes than the count byte")
        << QStringList{"10 08 58 03 92 01 20 A6 \r", "728 21 80 20 \r"} << "3" << 3
        << QStringList{"9201", "A680", ""} << false;
    QTest::newRow("count byte 25: twenty codes read, complete")
        << ReplyLines(CodesPayload(25)).mid(0, 9) << "25" << 25
        << QStringList{CodeText(1), CodeText(2), CodeText(3)} << true;
}

void TestDtcReply::decode() {
    QFETCH(QStringList, lines);
    QFETCH(QString, caption);
    QFETCH(int, count);
    QFETCH(QStringList, codes);
    QFETCH(bool, complete);
    const DtcReply reply = DecodeDtcReply(lines, caption);
    QCOMPARE(reply.count, count);
    QCOMPARE(reply.complete, complete);
    for (int k = 1; k <= codes.size(); ++k)
        QCOMPARE(reply.codes[static_cast<std::size_t>(k)], codes[k - 1]);
}

void TestDtcReply::everyCodePosition_data() {
    QTest::addColumn<int>("count");
    for (int n : {2, 3, 4, 5, 6, 8, 9, 11, 16, 18, 19, 20, 25})
        QTest::newRow(QByteArray::number(n).constData()) << n;
}

void TestDtcReply::everyCodePosition() {
    QFETCH(int, count);
    const QStringList lines = ReplyLines(CodesPayload(count));
    const DtcReply reply =
        DecodeDtcReply(lines.mid(0, DtcLinesNeeded(count)), QString::number(count));
    QCOMPARE(reply.count, count);
    for (int k = 1; k <= std::min(count, 20); ++k)
        QCOMPARE(reply.codes[static_cast<std::size_t>(k)], CodeText(k));
}

void TestDtcReply::negativeFrame() {
    int code = 0;
    QVERIFY(IsNegativeFrame(QStringLiteral("03 7F 18 31 \r"), code));
    QCOMPARE(code, 0x31);
    QVERIFY(IsNegativeFrame(QStringLiteral("03 7F 18 78 \r"), code));
    QCOMPARE(code, 0x78);
    QVERIFY(!IsNegativeFrame(QStringLiteral("05 58 01 93 17 20 \r"), code));
    QVERIFY(!IsNegativeFrame(QStringLiteral("10 0B 7F 03 92 01 20 A6 \r"), code));
    // Which service a frame answers, so that an earlier request's late answer is passed over.
    const std::pair<const char*, int> answered[] = {{"728 03 7F 22 31 \r", 0x22},
                                                    {"728 04 62 02 00 03 00 00 00 \r", 0x22},
                                                    {"728 10 0B 58 03 92 01 20 A6 \r", 0x18},
                                                    {"728 01 7F 00 00 00 00 00 00 \r", -1},
                                                    {"728 04 62 02 00 \r", -1},
                                                    {"728 21 80 20 D9 00 20 \r", -1}};
    for (const auto& [line, service] : answered)
        QCOMPARE(ServiceAnswered(QLatin1String(line)), service);
}

void TestDtcReply::wholeFrame_data() {
    QTest::addColumn<QString>("line1");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("lineNumber");
    QTest::addColumn<bool>("whole");
    const QString three = QStringLiteral("10 0B 58 03 92 01 20 A6 \r");
    QTest::newRow("three codes: two frames, 21 second")
        << three << 2 << "728 21 80 20 D9 00 20 \r" << 2 << true;
    QTest::newRow("padding after the last byte")
        << three << 2 << "728 21 80 20 D9 00 20 00 00 \r" << 2 << true;
    QTest::newRow("no blank before the CR") << three << 2 << "728 21 80 20 D9 00 20\r" << 2 << true;
    QTest::newRow("22 where 21 is due") << three << 2 << "728 22 80 20 D9 00 20 \r" << 2 << false;
    QTest::newRow("twenty codes: nine frames")
        << "10 3E 58 14 92 01 20 93 \r" << 9 << "728 28 01 02 03 04 05 06 07 \r" << 9 << true;
    QTest::newRow("a frame past a single frame")
        << "05 58 01 93 17 20 \r" << 1 << "728 21 \r" << 2 << false;
    QTest::newRow("sequence wraps to 20")
        << "10 80 58 2A 92 01 20 93 \r" << 19 << "728 20 01 02 03 04 05 06 07 \r" << 17 << true;
    QTest::newRow("another unit's frame") << three << 2 << "7E8 21 80 20 D9 00 20 \r" << 2 << false;
    QTest::newRow("cut in a byte") << three << 2 << "728 21 80 20 D9 0\r" << 2 << false;
    QTest::newRow("fewer bytes than the length leaves")
        << three << 2 << "728 21 80 20 D9 00 \r" << 2 << false;
    QTest::newRow("a full frame short of its 8 bytes")
        << "10 3E 58 14 92 01 20 93 \r" << 9 << "728 21 01 02 03 04 05 06 \r" << 2 << false;
    QTest::newRow("DATA ERROR after the bytes")
        << three << 2 << "728 21 80 20 D9 00 20 <DATA ERROR\r" << 2 << false;
    QTest::newRow("RX ERROR after the bytes")
        << three << 2 << "728 21 80 20 D9 00 20 <RX ERROR\r" << 2 << false;
    QTest::newRow("two blanks") << three << 2 << "728 21 80  20 D9 00 20 \r" << 2 << false;
    QTest::newRow("lower-case digits") << three << 2 << "728 21 80 20 d9 00 20 \r" << 2 << false;
    QTest::newRow("line 1: whole first frame") << three << 2 << three << 1 << true;
    QTest::newRow("line 1: first frame of 7 bytes")
        << "10 0B 58 03 92 01 20 \r" << 2 << "10 0B 58 03 92 01 20 \r" << 1 << false;
    QTest::newRow("line 1: a consecutive frame (first lost)")
        << "21 80 20 D9 00 20 \r" << INT_MAX << "21 80 20 D9 00 20 \r" << 1 << false;
    QTest::newRow("line 1: single frame short of its length")
        << "05 58 01 93 \r" << 1 << "05 58 01 93 \r" << 1 << false;
    // Exact lengths: 8 bytes, or exactly what the control byte promises.
    QTest::newRow("padded last frame, a byte lost")
        << three << 2 << "728 21 80 20 00 20 00 00 \r" << 2 << false;
    QTest::newRow("line 1: padded single frame, a byte lost")
        << "05 58 01 93 20 00 00 \r" << 1 << "05 58 01 93 20 00 00 \r" << 1 << false;
    QTest::newRow("line 1: first frame of 9 bytes")
        << "10 0B 58 03 92 01 20 A6 80 \r" << 2 << "10 0B 58 03 92 01 20 A6 80 \r" << 1 << false;
    QTest::newRow("data sheet 0904, last frame as printed")
        << "10 13 49 04 01 35 36 30 \r" << 3 << "728 22 00 00 00 00 00 00 31 \r" << 3 << true;
}

void TestDtcReply::wholeFrame() {
    QFETCH(QString, line1);
    QFETCH(int, frames);
    QFETCH(QString, line);
    QFETCH(int, lineNumber);
    QFETCH(bool, whole);
    QCOMPARE(FramesInMessage(line1), frames);
    QCOMPARE(IsWholeDtcFrame(line, lineNumber, line1), whole);
}

void TestDtcReply::hexTextValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("00 03") << "00 03 \r" << 3;
    QTest::newRow("00 1A") << "00 1A \r" << 26;
    QTest::newRow("0C") << "0C" << 12;
    QTest::newRow("lower case") << "00 0c \r" << 12;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("CR alone") << "\r" << 0;
    QTest::newRow("CR and prompt") << "\r>" << 0;
    QTest::newRow("tabs and line feeds skipped") << "\t0\n0 \t1" << 1;
    QTest::newRow("stops at the prompt") << "1>2" << 1;
    QTest::newRow("saturates") << "FFFFFFFFFFFFFFFF" << std::numeric_limits<int>::max();
}

void TestDtcReply::hexTextValue() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(HexTextValue(text), value);
}

void TestDtcReply::countValueText_data() {
    QTest::addColumn<QString>("gathered");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unpadded") << "220200\r728 04 62 02 "
                              << "00 03 \r"
                              << "00 03 ";
    QTest::newRow("padded") << "220200\r728 04 62 02 "
                            << "00 03 00 00 00 \r"
                            << "00 03 ";
    QTest::newRow("no header before the marker") << "62 02 "
                                                 << "00 03 00 \r"
                                                 << "00 03 00 \r";
    QTest::newRow("first frame before the marker") << "728 10 62 02 "
                                                   << "00 03 \r"
                                                   << "00 03 \r";
}

void TestDtcReply::countValueText() {
    QFETCH(QString, gathered);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(CountValueText(gathered, QStringLiteral("62 02 "), value), expected);
}

void TestDtcReply::descriptions_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("none") << QStringList{"9201"} << 0 << QStringList{};
    QTest::newRow("unknown codes in their J2012 form")
        << QStringList{"9201", "1234", "D900", "9234", "4ABC", "FFFF"} << 6
        << QStringList{"B1201,Fuel Sender Circuit Failure",
                       "P1234,Description not known",
                       "U1900,CAN Comms Bus Fault Receive Error",
                       "B1234,Description not known",
                       "C0ABC,Description not known",
                       "U3FFF,Description not known"};
    QTest::newRow("reply order, not table order")
        << QStringList{"E200", "9201"} << 2
        << QStringList{"U2200,Invalid ODO Count Data", "B1201,Fuel Sender Circuit Failure"};
    QTest::newRow("lower case is no key of the table")
        << QStringList{"d900"} << 1 << QStringList{"U1900,Description not known"};
    QTest::newRow("twice the same code")
        << QStringList{"A680", "A680"} << 2
        << QStringList{"B2680,Odometer Changed", "B2680,Odometer Changed"};
    QTest::newRow("count above the codes read")
        << QStringList{"9317"} << 25 << QStringList{"B1317,Battery Voltage High"};
    const QStringList all{"9201", "9317", "9318", "9342", "9499", "9503", "9579",
                          "9583", "9875", "A675", "A680", "A681", "A895", "A896",
                          "D900", "E196", "E197", "E198", "E199", "E200"};
    QTest::newRow("all twenty") << all << 20 << KnownDescriptionLines();
}

void TestDtcReply::descriptions() {
    QFETCH(QStringList, codes);
    QFETCH(int, count);
    QFETCH(QStringList, lines);
    DtcCodes.fill(QString());
    for (qsizetype i = 0; i < codes.size(); ++i)
        DtcCodes[static_cast<std::size_t>(i + 1)] = codes[i];
    DtcCount = static_cast<std::int16_t>(count);
    QCOMPARE(DtcDescriptionLines(), lines);
}

QTEST_MAIN(TestDtcReply)
#include "tst_dtc_reply.moc"
