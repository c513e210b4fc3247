#include "common/shared_state.h"
#include "common/status_bar.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/reply_lines.h"
#include "link/serial_port.h"
#include "support/link_rig.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/time_scale.h"

#include <QtTest>

using namespace vorkel;

class TestExchange : public QObject {
    Q_OBJECT
  private slots:
    void init() { UseComPort(7); }
    void classify_data();
    void classify();
    void markers_data();
    void markers();
    void whatTheAdapterSent_data();
    void whatTheAdapterSent();
    void otherUnitFrames_data();
    void otherUnitFrames();
    void everyFailureHasWords();
    void noDataRetryIsScaledOnce();
    void finishReadsThroughThePrompt();
    void answerLinesEndAtTheEmptyLine();
    void lineFeedsAreDropped();
    void gatheredTextIsCapped();
};

void TestExchange::classify_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("pending");
    const auto row = [](const char* name, const char* request, const char* answer,
                        LinkFailure failure, int code, bool pending) {
        QTest::newRow(name) << request << answer << int(failure) << code << pending;
    };
    row("question mark", "atcaf1", "atcaf1\r?\r\r>", LinkFailure::Refused, -1, false);
    row("no data", "22e21a", "22e21a\rNO DATA\r\r>", LinkFailure::NoData, -1, false);
    row("stopped", "22e21a", "22e21a\rSTOPPED\r\r>", LinkFailure::Stopped, -1, false);
    row("can error", "22e21a", "22e21a\rCAN ERROR\r\r>", LinkFailure::CanError, -1, false);
    row("buffer full", "1800ff00", "728 10 0B 58\rBUFFER FULL\r\r>", LinkFailure::BufferFull, -1,
        false);
    row("unable to connect", "22e21a", "SEARCHING...\rUNABLE TO CONNECT\r\r>",
        LinkFailure::UnableToConnect, -1, false);
    row("negative", "14FF00", "14FF00\r728 03 7F 14 22 \r\r>", LinkFailure::NegativeResponse, 0x22,
        false);
    row("pending last", "14FF00", "14FF00\r728 03 7F 14 78 \r\r>", LinkFailure::PendingNoAnswer,
        0x78, true);
    row("pending, then refused", "14FF00", "728 03 7F 14 78 \r728 03 7F 14 31 \r\r>",
        LinkFailure::NegativeResponse, 0x31, false);
    row("another unit's refusal is not the cluster's", "1800ff00",
        "1800ff00\r7E8 03 7F 18 11 \r\r>", LinkFailure::Unexpected, -1, false);
    row("an earlier request's late refusal is not this one's", "14FF00",
        "14FF00\r728 03 7F 22 31 \r\r>", LinkFailure::Unexpected, -1, false);
    row("something else", "22e21a", "22e21a\r728 07 63 00 \r\r>", LinkFailure::Unexpected, -1,
        false);
}

void TestExchange::classify() {
    QFETCH(QString, request);
    QFETCH(QString, answer);
    QFETCH(int, failure);
    QFETCH(int, code);
    QFETCH(bool, pending);
    const AnswerProblem problem = ClassifyAnswer(answer, request);
    QCOMPARE(int(problem.failure), failure);
    QCOMPARE(problem.responseCode, code);
    QCOMPARE(problem.pending, pending);
}

void TestExchange::markers_data() {
    QTest::addColumn<QString>("gathered");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("lineEndTaken");
    QTest::newRow("with its blank") << "14FF00\r728 03 54 FF 00 "
                                    << "54 FF 00 " << true << false;
    QTest::newRow("clone: CR right after the last byte") << "14FF00\r728 03 54 FF 00\r"
                                                         << "54 FF 00 " << true << true;
    QTest::newRow("last byte not yet ended") << "728 03 54 FF 00"
                                             << "54 FF 00 " << false << false;
    QTest::newRow("another unit's line") << "7E8 03 54 FF 00 "
                                         << "54 FF 00 " << false << false;
    QTest::newRow("another unit's line, no blank") << "7E8 03 54 FF 00\r"
                                                   << "54 FF 00 " << false << false;
    QTest::newRow("tail of a longer byte") << "728 03 154 FF 00\r"
                                           << "54 FF 00 " << false << false;
    QTest::newRow("the echo never matches") << "14FF00\r"
                                            << "54 FF 00 " << false << false;
    QTest::newRow("header at the start of a line") << "1800ff00\r728 "
                                                   << "728 " << true << false;
    QTest::newRow("header of another unit") << "1800ff00\r7E8 "
                                            << "728 " << false << false;
    QTest::newRow("count, padding follows") << "728 04 62 02 "
                                            << "62 02 " << true << false;
}

void TestExchange::markers() {
    QFETCH(QString, gathered);
    QFETCH(QString, marker);
    QFETCH(bool, complete);
    QFETCH(bool, lineEndTaken);
    bool taken = !lineEndTaken;
    QCOMPARE(MarkerComplete(gathered, marker, taken), complete);
    QCOMPARE(taken, lineEndTaken);
}

void TestExchange::otherUnitFrames_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("otherUnit");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<bool>("wholeSingle"); // a count or clear answer that may be read
    QTest::newRow("7E8 frame") << "7E8 03 41 0D 00 \r" << true << false << false;
    QTest::newRow("72A frame, no blank") << "72A 02 01 00\r" << true << false << false;
    QTest::newRow("the cluster") << "728 21 80 20 D9 00 20 \r" << false << false << false;
    QTest::newRow("adapter message") << "BUFFER FULL\r" << false << false << false;
    QTest::newRow("cluster busy") << "728 03 7F 18 78 \r" << false << true << true;
    QTest::newRow("cluster busy, padded")
        << "728 03 7F 18 78 00 00 00 00 \r" << false << true << true;
    QTest::newRow("cluster refuses") << "728 03 7F 18 31 \r" << false << false << true;
    QTest::newRow("the count's late busy") << "728 03 7F 22 78 \r" << false << false << true;
    QTest::newRow("another unit busy") << "7E8 03 7F 18 78 \r" << true << false << false;
    QTest::newRow("count, no blank before the CR")
        << "728 04 62 02 00 03\r" << false << false << true;
    QTest::newRow("count cut in a byte") << "728 04 62 02 00 0\r" << false << false << false;
    QTest::newRow("count short of its length") << "728 04 62 02 00 \r" << false << false << false;
    QTest::newRow("clear with DATA ERROR")
        << "728 03 54 FF 00 <DATA ERROR\r" << false << false << false;
    // A CAN frame is 8 bytes: shown whole (genuine, padding shown) or just its
    // promised bytes (clones); a padded line one byte short lost one.
    QTest::newRow("count, padding shown")
        << "728 04 62 02 00 03 00 00 00 \r" << false << false << true;
    QTest::newRow("count, padding shown, a byte lost")
        << "728 04 62 02 00 00 00 00 \r" << false << false << false;
    QTest::newRow("data sheet single frame, padding shown")
        << "728 03 41 05 46 00 00 00 00\r" << false << false << true;
    QTest::newRow("a padding byte too many")
        << "728 03 41 05 46 00 00 00 00 00 \r" << false << false << false;
}

void TestExchange::otherUnitFrames() {
    QFETCH(QString, line);
    QFETCH(bool, otherUnit);
    QFETCH(bool, pending);
    QFETCH(bool, wholeSingle);
    QCOMPARE(IsOtherUnitFrame(line), otherUnit);
    QCOMPARE(IsPendingFrame(line, 0x18), pending); // busy with the list request
    QCOMPARE(IsWholeSingleFrame(line), wholeSingle);
}

void TestExchange::whatTheAdapterSent_data() {
    QTest::addColumn<QString>("heard");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a busy chain cut by the bound")
        << "1800ff00\r728 03 7F 18 78 \r728 03 7F 18 78 \r7"
        << "728 03 7F 18 78";
    QTest::newRow("the adapter's message, echo and prompt left out") << "1800FF00\rNO DATA\r\r>"
                                                                     << "NO DATA";
    QTest::newRow("two different lines") << "728 03 7F 18 78 \r728 03 7F 18 22 \r\r>"
                                         << "728 03 7F 18 78 | 728 03 7F 18 22";
    QTest::newRow("no line ended: the tail") << QString("\x80\xF8") << QString("\x80\xF8");
    QTest::newRow("our echo alone is nothing sent") << "1800ff00\r\r>"
                                                    << "";
    QTest::newRow("our echo, cut") << "1800f"
                                   << "";
    QTest::newRow("long lines: the last that fit")
        << QString(150, 'A') + "\r" + QString(150, 'B') + "\r" << QString(150, 'B');
}

void TestExchange::whatTheAdapterSent() {
    QFETCH(QString, heard);
    QFETCH(QString, shown);
    QCOMPARE(WhatTheAdapterSent(heard, QStringLiteral("1800ff00")), shown);
}

void TestExchange::everyFailureHasWords() {
    for (int f = int(LinkFailure::PortClosed); f <= int(LinkFailure::Unexpected); ++f) {
        const FailureWords words =
            DescribeFailure(LinkError(LinkFailure(f), QStringLiteral("XYZ"), 0x31),
                            QStringLiteral("Reading the trouble codes"));
        QVERIFY(!words.text.isEmpty());
        QVERIFY(words.advice.contains(QStringLiteral("XYZ")));
        // Once the cluster has answered, no failure makes the car the wrong model.
        QVERIFY(!DescribeFailure(LinkError(LinkFailure(f)), QString(), true)
                     .advice.contains(QStringLiteral("Falcon")));
        // Over WiFi or Bluetooth nothing speaks of a plug.
        for (const LinkKind radio : {LinkKind::Wifi, LinkKind::Bluetooth})
            QVERIFY(!DescribeFailure(LinkError(LinkFailure(f)), QString(), true, radio)
                         .advice.contains(QStringLiteral("plug")));
    }
    // ERR94 is the bus's or the wiring's, and a reset of the adapter does not clear it.
    QVERIFY(DescribeFailure(LinkError(LinkFailure::AdapterReset), QString())
                .advice.contains(QStringLiteral("ignition off and on")));
    const FailureWords negative = DescribeFailure(
        LinkError(LinkFailure::NegativeResponse, {}, 0x31), QStringLiteral("Clearing"));
    QVERIFY(negative.text.contains(QStringLiteral("31")));
    QVERIFY(negative.text.contains(QStringLiteral("out of range")));
}

void TestExchange::noDataRetryIsScaledOnce() {
    const ScopedTimeScale scale(QuickTime);
    QElapsedTimer clock;
    clock.start();
    QList<qint64> asked;
    ReadAgainAfterNoData([&] {
        asked << clock.elapsed();
        if (asked.size() == 1) throw LinkError(LinkFailure::NoData);
        return 0;
    });
    QCOMPARE(asked.size(), 2);
    QVERIFY(asked.at(1) - asked.at(0) >= Scaled(CurrentLinkLimits().noDataRetryMs));
}

void TestExchange::finishReadsThroughThePrompt() {
    SimFixture fixture;
    LinkRig rig;
    OpenAndSetUp(*rig.MSComm1);
    Exchange exchange(*rig.MSComm1);
    exchange.Send(QStringLiteral("220200"));
    exchange.WaitForMarker(QStringLiteral("62 02 "));
    QCOMPARE(exchange.ReadLine(), QStringLiteral("00 03 \r"));
    QVERIFY(!exchange.PromptSeen());
    exchange.Finish();
    QVERIFY(exchange.PromptSeen());
    QTest::qWait(50);
    QCOMPARE(rig.MSComm1->InBufferCount(), 0);
}

void TestExchange::answerLinesEndAtTheEmptyLine() {
    SimFixture fixture;
    LinkRig rig;
    OpenAndSetUp(*rig.MSComm1);
    Exchange exchange(*rig.MSComm1);
    exchange.Send(QStringLiteral("1800ff00"));
    exchange.WaitForMarker(QStringLiteral("728 "));
    QCOMPARE(exchange.ReadLine(), QStringLiteral("10 0B 58 03 92 01 20 A6 \r"));
    QCOMPARE(exchange.ReadAnswerLine().value_or(QString()),
             QStringLiteral("728 21 80 20 D9 00 20 \r"));
    QVERIFY(!exchange.ReadAnswerLine().has_value());
    QVERIFY(!exchange.ReadAnswerLine().has_value());
    exchange.Finish();
    QVERIFY(exchange.PromptSeen());
}

void TestExchange::lineFeedsAreDropped() {
    vorkelsim::SimOptions options;
    options.lineFeeds = true;
    SimFixture fixture(options);
    LinkRig rig;
    OpenAndSetUp(*rig.MSComm1);
    Exchange exchange(*rig.MSComm1);
    exchange.Send(QStringLiteral("22e21a"));
    exchange.WaitForMarker(QStringLiteral("62 E2 1A "));
    QCOMPARE(exchange.ReadLine(), QStringLiteral("33 52 32 33 \r"));
}

void TestExchange::gatheredTextIsCapped() {
    vorkelsim::SimOptions options;
    options.banner = QString(20000, QLatin1Char('E'));
    SimFixture fixture(options);
    LinkRig rig;
    OpenComPort(*rig.MSComm1);
    Exchange exchange(*rig.MSComm1);
    exchange.Send(QStringLiteral("atz"));
    const QString answer = exchange.WaitForBanner();
    QVERIFY(answer.endsWith(QLatin1Char('>')));
    QVERIFY(answer.size() <= GatheredTextCap);
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
