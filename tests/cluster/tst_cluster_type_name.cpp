#include "app/window_steps.h"
#include "cluster/cluster_functions.h"
#include "cluster/cluster_state.h"
#include "common/value_label.h"

#include <QtTest>

using namespace vorkel;

namespace {

void ResetIdentification() {
    PartPrefix.clear();
    PartBaseText.clear();
    ClusterCodes.fill(QString());
    SuffixLetters.fill(QString());
    PartSuffix.clear();
    ClusterModel.clear();
}

} // namespace

class TestClusterTypeName : public QObject {
    Q_OBJECT
  private slots:
    void init() { ResetIdentification(); }
    void modelTable_data();
    void modelTable();
    void letterTable_data();
    void letterTable();
    void keepsEarlierValues_data();
    void keepsEarlierValues();
    void partNumber_data();
    void partNumber();
    void replyPieces_data();
    void replyPieces();
};

void TestClusterTypeName::replyPieces_data() {
    QTest::addColumn<QString>("prefixData");
    QTest::addColumn<QString>("baseData");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("baseText");
    QTest::newRow("worked example") << "33 52 32 33 \r"
                                    << "01 00 08 49 \r"
                                    << "3R23"
                                    << "010849";
    QTest::newRow("padding shown") << "35 52 37 39 00 \r"
                                   << "02 00 07 99 00 00 \r"
                                   << "5R79"
                                   << "020799";
    QTest::newRow("no blank before the CR") << "33 52 37 33\r"
                                            << "00 00 12 34\r"
                                            << "3R73"
                                            << "001234";
    QTest::newRow("short: missing pieces give code 0")
        << "33 52\r"
        << "01\r" << QStringLiteral("3R") + QChar(0) + QChar(0) << "01";
    QTest::newRow("lower case hex") << "33 52 32 3a \r"
                                    << "01 00 08 49 \r"
                                    << "3R2:"
                                    << "010849";
}

void TestClusterTypeName::replyPieces() {
    QFETCH(QString, prefixData);
    QFETCH(QString, baseData);
    QFETCH(QString, prefix);
    QFETCH(QString, baseText);
    QCOMPARE(PrefixOfReply(prefixData), prefix);
    QCOMPARE(BaseTextOfReply(baseData), baseText);
}

void TestClusterTypeName::modelTable_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("model");
    const char* rows[][4] = {
        {"3R23", "00", "A", "BA XT/XL/Forte"},
        {"3R23", "02", "B", "BA Futura"},
        {"3R23", "03", "B", "BA Futura"},
        {"3R23", "04", "C", "BA Fairmont"},
        {"3R23", "06", "D", "BA XR Low"},
        {"3R23", "08", "E", "BA Fairmont"},
        {"3R23", "0A", "F", "BA Fairmont Ghia"},
        {"3R23", "0C", "G", "BA GT"},
        {"3R23", "0E", "H", "BA GTP"},
        {"3R23", "10", "J", "BA Coleman Milne"},
        {"3R23", "12", "K", "BA2 XT/XL"},
        {"3R23", "14", "L", "BA XR High"},
        {"3R23", "16", "M", "BA2 Futura"},
        {"3R23", "18", "N", "BA2 RTV"},
        {"3R23", "1A", "P", "BA2 XR Low"},
        {"3R23", "1C", "R", "BA2 GT/F6 Low"},
        {"3R23", "1E", "S", "BA2 GT/F6 High"},
        {"3R23", "20", "T", "BA2 Fairlane"},
        {"3R73", "00", "A", "SX TX RWD"},
        {"3R73", "02", "B", "SX TX AWD"},
        {"3R73", "04", "C", "SX TS/Ghia"},
        {"5R29", "00", "A", "BF XT/XL"},
        {"5R29", "02", "B", "BF Futura"},
        {"5R29", "04", "C", "BF RTV"},
        {"5R29", "06", "D", "BF XR Low"},
        {"5R29", "08", "E", "BF Fairmont"},
        {"5R29", "0A", "F", "BF Fairmont Ghia"},
        {"5R29", "0C", "G", "BF GT/F6 Low"},
        {"5R29", "0E", "H", "BF GT/F6 High"},
        {"5R29", "10", "J", "BF2 XLS"},
        {"5R29", "12", "K", "BF Coleman Milne"},
        {"5R29", "14", "L", "BF2 XR High"},
        {"5R29", "16", "M", "BF2 Fairmont Ghia"},
        {"5R29", "18", "N", "BF3 XR Low"},
        {"5R29", "1A", "P", "BF2 XR High"},
        {"5R79", "00", "A", "SY TX RWD"},
        {"5R79", "02", "B", "SY TX AWD"},
        {"5R79", "04", "C", "SY TS/Ghia"},
        {"5R79", "08", "E", "SY Turbo Ghia"},
    };
    for (const auto& r : rows)
        QTest::newRow(QByteArray(r[0]).append(' ').append(r[1]).constData())
            << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2])
            << QString::fromLatin1(r[3]);
    // No row: nothing is set at the first identification of a run.
    QTest::newRow("3R73 06 unknown") << "3R73"
                                     << "06"
                                     << ""
                                     << "";
    QTest::newRow("5R79 06 unknown") << "5R79"
                                     << "06"
                                     << ""
                                     << "";
    QTest::newRow("3R73 03 odd code") << "3R73"
                                      << "03"
                                      << ""
                                      << "";
    QTest::newRow("lower case 0a") << "3R23"
                                   << "0a"
                                   << ""
                                   << "";
    QTest::newRow("code with a blank") << "3R23"
                                       << " 2"
                                       << ""
                                       << "";
    QTest::newRow("unknown prefix") << "9X99"
                                    << "02"
                                    << ""
                                    << "";
    QTest::newRow("prefix with a NUL") << QString(QStringLiteral("3R2")) + QChar(0) << "02"
                                       << ""
                                       << "";
}

void TestClusterTypeName::modelTable() {
    QFETCH(QString, prefix);
    QFETCH(QString, code);
    QFETCH(QString, letter);
    QFETCH(QString, model);
    PartPrefix = prefix;
    NameCluster(code + QStringLiteral(" 00 \r"));
    QCOMPARE(ClusterCodes[0], code);
    QCOMPARE(ClusterCodes[1], QStringLiteral("00"));
    QCOMPARE(SuffixLetters[0], letter);
    QCOMPARE(ClusterModel, model);
    // The letter table runs for every prefix, known or not.
    QCOMPARE(PartSuffix, letter + QStringLiteral("A"));
}

void TestClusterTypeName::letterTable_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("letter");
    const char* rows[][2] = {{"00", "A"}, {"01", "B"}, {"02", "B"}, {"03", "D"}, {"04", "C"},
                             {"06", "D"}, {"08", "E"}, {"0A", "F"}, {"0C", "G"}, {"0E", "H"},
                             {"10", "J"}, {"12", "K"}, {"14", "L"}, {"16", "M"}, {"18", "N"},
                             {"1A", "P"}, {"1C", "R"}, {"1E", "S"}, {"20", "T"}};
    for (const auto& r : rows)
        QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    for (const char* none : {"05", "21", "22", "0a", ""})
        QTest::newRow((QByteArray("no row ") + none).constData())
            << QString::fromLatin1(none) << QString();
}

void TestClusterTypeName::letterTable() {
    QFETCH(QString, code);
    QFETCH(QString, letter);
    PartPrefix = QStringLiteral("3R23");
    NameCluster(QStringLiteral("02 ") + code + QStringLiteral(" \r"));
    QCOMPARE(SuffixLetters[1], letter);
    QCOMPARE(PartSuffix, QStringLiteral("B") + letter);
}

void TestClusterTypeName::keepsEarlierValues_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("model");
    // After a first identification of 3R23 02 00 (BA Futura, BA):
    QTest::newRow("unknown model code keeps the first letter and model") << "3R23"
                                                                         << "7E 04 \r"
                                                                         << "BC"
                                                                         << "BA Futura";
    QTest::newRow("unknown letter code keeps the second letter") << "3R23"
                                                                 << "0C 21 \r"
                                                                 << "GA"
                                                                 << "BA GT";
    QTest::newRow("unknown prefix keeps both but reads the letter table") << "ABCD"
                                                                          << "00 03 \r"
                                                                          << "BD"
                                                                          << "BA Futura";
    QTest::newRow("short reply") << "5R29"
                                 << "1\r"
                                 << "BA"
                                 << "BA Futura";
    QTest::newRow("empty reply") << "5R29"
                                 << ""
                                 << "BA"
                                 << "BA Futura";
    QTest::newRow("second known identification replaces") << "5R29"
                                                          << "14 1A \r"
                                                          << "LP"
                                                          << "BF2 XR High";
}

void TestClusterTypeName::keepsEarlierValues() {
    QFETCH(QString, prefix);
    QFETCH(QString, reply);
    QFETCH(QString, suffix);
    QFETCH(QString, model);
    PartPrefix = QStringLiteral("3R23");
    NameCluster(QStringLiteral("02 00 \r"));
    QCOMPARE(PartSuffix, QStringLiteral("BA"));
    PartPrefix = prefix;
    ValueLabel info(QStringLiteral("Cluster Type"), nullptr);
    ClusterTypeName(reply, &info);
    QCOMPARE(PartSuffix, suffix);
    QCOMPARE(ClusterModel, model);
    QCOMPARE(info.text(), model);
}

void TestClusterTypeName::partNumber_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("number");
    QTest::newRow("010849") << "010849"
                            << "3R23-10849-BA";
    QTest::newRow("000000") << "000000"
                            << "3R23-0-BA";
    QTest::newRow("empty") << ""
                           << "3R23-0-BA";
    QTest::newRow("starts with a letter") << "A10849"
                                          << "3R23-0-BA";
    QTest::newRow("letters after digits") << "0108A9"
                                          << "3R23-108-BA";
    QTest::newRow("short") << "01\r"
                           << "3R23-1-BA";
}

void TestClusterTypeName::partNumber() {
    QFETCH(QString, base);
    QFETCH(QString, number);
    PartPrefix = QStringLiteral("3R23");
    PartSuffix = QStringLiteral("BA");
    PartBaseText = base;
    QCOMPARE(ClusterPartNumber(), number);
}

QTEST_MAIN(TestClusterTypeName)
#include "tst_cluster_type_name.moc"
