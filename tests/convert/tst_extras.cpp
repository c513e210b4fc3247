#include "convert/extras.h"

#include <QtTest>

using namespace vorkel;

class TestExtras : public QObject {
    Q_OBJECT
  private slots:
    void conversions_data();
    void conversions();
    void overflows_data();
    void overflows();
    void inputUnchanged();
};

enum Function { Dec2Bin, Bin2Dec, Hex2Bin, Hex2Dec };

QString Call(int function, const QString& text) {
    switch (function) {
    case Dec2Bin:
        return DecToBin(text);
    case Bin2Dec:
        return BinToDec(text);
    case Hex2Bin:
        return HexToBin(text);
    default:
        return HexToDec(text);
    }
}

void TestExtras::conversions_data() {
    QTest::addColumn<int>("function");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, int f, const char* in, const char* out) {
        QTest::newRow(name) << f << QString::fromLatin1(in) << QString::fromLatin1(out);
    };
    row("HexToDec 33", Hex2Dec, "33", "51");
    row("HexToDec 1A", Hex2Dec, "1A", "26");
    row("HexToDec 1a", Hex2Dec, "1a", "26");
    row("HexToDec FF", Hex2Dec, "FF", "255");
    row("HexToDec 00", Hex2Dec, "00", "0");
    row("HexToDec empty", Hex2Dec, "", "0");
    row("HexToDec -1A", Hex2Dec, "-1A", "-26");
    row("HexToDec 3FFFFFFF", Hex2Dec, "3FFFFFFF", "1073741823");
    row("HexToDec non-hex counts as 0", Hex2Dec, "1G", "16");
    row("HexToDec CR counts as 0", Hex2Dec, "\r", "0");
    row("HexToBin 1A", Hex2Bin, "1A", "11010");
    row("HexToBin 0F", Hex2Bin, "0F", "1111");
    row("HexToBin 10", Hex2Bin, "10", "10000");
    row("HexToBin G", Hex2Bin, "G", "");
    row("HexToBin -1A", Hex2Bin, "-1A", "-11010");
    row("DecToBin 10", Dec2Bin, "10", "1010");
    row("DecToBin 007", Dec2Bin, "007", "111");
    row("DecToBin -5", Dec2Bin, "-5", "-101");
    row("DecToBin 1073741823", Dec2Bin, "1073741823", QByteArray(30, '1').constData());
    row("BinToDec 00011010", Bin2Dec, "00011010", "26");
    row("BinToDec -101", Bin2Dec, "-101", "-5");
    row("BinToDec 30 ones", Bin2Dec, QByteArray(30, '1').constData(), "1073741823");
    row("BinToDec -0", Bin2Dec, "-0", "0");
    row("BinToDec other chars are 0 bits", Bin2Dec, "1x1", "5");
    for (int f : {Dec2Bin, Bin2Dec, Hex2Bin, Hex2Dec}) {
        const QByteArray prefix = QByteArray::number(f);
        QTest::newRow((prefix + " lone minus").constData())
            << f << QStringLiteral("-") << QStringLiteral("0");
        QTest::newRow((prefix + " empty").constData()) << f << QString() << QStringLiteral("0");
        QTest::newRow((prefix + " zeros").constData())
            << f << QStringLiteral("0000") << QStringLiteral("0");
    }
}

void TestExtras::conversions() {
    QFETCH(int, function);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(Call(function, input), expected);
}

void TestExtras::overflows_data() {
    QTest::addColumn<int>("function");
    QTest::addColumn<QString>("input");
    QTest::newRow("HexToDec 40000000") << int(Hex2Dec) << QStringLiteral("40000000");
    QTest::newRow("HexToDec FFFFFFFF") << int(Hex2Dec) << QStringLiteral("FFFFFFFF");
    QTest::newRow("DecToBin 2^30") << int(Dec2Bin) << QStringLiteral("1073741824");
    QTest::newRow("DecToBin huge") << int(Dec2Bin) << QStringLiteral("99999999999");
    QTest::newRow("BinToDec 1 and 30 zeros")
        << int(Bin2Dec) << (QStringLiteral("1") + QString(30, QLatin1Char('0')));
    QTest::newRow("BinToDec 31 zeros after a 1 with leading zeros")
        << int(Bin2Dec) << (QStringLiteral("0001") + QString(30, QLatin1Char('0')));
    QTest::newRow("BinToDec 31 characters whatever they are")
        << int(Bin2Dec) << (QStringLiteral("1") + QString(30, QLatin1Char('x')));
}

void TestExtras::overflows() {
    QFETCH(int, function);
    QFETCH(QString, input);
    QVERIFY_THROWS_EXCEPTION(ConversionOverflow, Call(function, input));
}

void TestExtras::inputUnchanged() {
    const QString input = QStringLiteral("-001A");
    const QString copy = input;
    HexToDec(input);
    QCOMPARE(input, copy);
    QVERIFY_THROWS_EXCEPTION(ConversionTypeMismatch, DecToBin(QStringLiteral("12abc")));
}

QTEST_APPLESS_MAIN(TestExtras)
#include "tst_extras.moc"
