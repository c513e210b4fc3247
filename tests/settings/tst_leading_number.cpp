#include "settings/leading_number.h"

#include <QtTest>
#include <clocale>

using namespace vorkel;

class TestLeadingNumber : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void leadingNumber_data();
    void leadingNumber();
    void overflow();
    void roundHalfEven_data();
    void roundHalfEven();
    void shortText_data();
    void shortText();
};

void TestLeadingNumber::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("1") << "1" << 1.0;
    QTest::newRow("12x") << "12x" << 12.0;
    QTest::newRow("1 2") << "1 2" << 12.0;
    QTest::newRow("OM3") << "OM3" << 0.0;
    QTest::newRow("9600,n,8,1") << "9600,n,8,1" << 9600.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("tabs and line feeds ignored") << "\t3\n8\t4 00" << 38400.0;
    QTest::newRow("sign") << "-12" << -12.0;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("sign with blank") << "- 4" << -4.0;
    QTest::newRow("decimal") << "1.5" << 1.5;
    QTest::newRow("leading point") << ".25x" << 0.25;
    QTest::newRow("exponent") << "1E3" << 1000.0;
    QTest::newRow("exponent lower with sign") << "25e-1" << 2.5;
    QTest::newRow("D exponent") << "2D2" << 200.0;
    QTest::newRow("exponent without digits stops") << "7E" << 7.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower") << "&hff zz" << 255.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&o78" << 7.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("word") << "fast" << 0.0;
    QTest::newRow("CR stops") << "12\r34" << 12.0;
    QTest::newRow("non-ASCII stops") << QStringLiteral("5\u00e96") << 5.0;
}

void TestLeadingNumber::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    const std::optional<double> value = LeadingNumber(text);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
}

void TestLeadingNumber::overflow() {
    QVERIFY(!LeadingNumber(QStringLiteral("1e999")).has_value());
    QVERIFY(!LeadingNumber(QStringLiteral("&H") + QString(400, QLatin1Char('F'))).has_value());
    QVERIFY(LeadingNumber(QString(400, QLatin1Char('9')) + QStringLiteral("e-400")).has_value());
}

void TestLeadingNumber::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("2.6") << 2.6 << 3.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
}

void TestLeadingNumber::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void TestLeadingNumber::shortText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("9600") << 9600.0 << "9600";
    QTest::newRow("fraction") << 1.5 << "1.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -12.0 << "-12";
}

void TestLeadingNumber::shortText() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(ShortNumberText(value), expected);
}

void TestLeadingNumber::initTestCase() {
    // The user's locale, as the program gets it; under LC_ALL it must be in force.
    std::setlocale(LC_ALL, "");
    const QByteArray wanted = qgetenv("LC_ALL");
    if (!wanted.isEmpty()) QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), wanted);
}

QTEST_APPLESS_MAIN(TestLeadingNumber)
#include "tst_leading_number.moc"
