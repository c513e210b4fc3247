// `vorkel --read` against the simulator, as a script runs it: the exit status
// and the JSON on standard output, with no display.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <csignal>

class TestReadCommand : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void reads_data();
    void reads();
    void withoutAdapter_data();
    void withoutAdapter();

  private:
    QTemporaryDir m_dir; // the program and the simulator side by side: its ports folder is theirs
};

void TestReadCommand::initTestCase() {
    for (const char* binary : {VORKEL_BINARY, VORKEL_SIM_BINARY})
        QVERIFY(QFile::copy(QLatin1String(binary),
                            m_dir.filePath(QFileInfo(QLatin1String(binary)).fileName())));
    QFile ini(m_dir.filePath(QStringLiteral("VORKEL.INI")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("VORKEL v1.00 INI File\r\nComPort=COM44\r\nComSpeed=38400\r\n");
}

void TestReadCommand::reads_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exit");
    QTest::addColumn<int>("count"); // -1: null
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("error");        // a part of it; empty: null
    QTest::addColumn<QStringList>("cameBack"); // after a confirmed Clear; {"-"}: no clear object
    const QStringList none{QStringLiteral("-")};
    const QStringList three{"B1201", "B2680", "U1900"};
    QTest::newRow("healthy car") << QStringList{} << QStringList{} << 0 << 3 << three << true << ""
                                 << none;
    QTest::newRow("no codes") << QStringList{"--codes", ""} << QStringList{} << 0 << 0
                              << QStringList{} << true << "" << none;
    QTest::newRow("20 codes") << QStringList{"--code-count", "20"} << QStringList{} << 0 << 20
                              << QStringList{QStringLiteral("*20")} << true << "" << none;
    QTest::newRow("a code the table lacks") << QStringList{"--codes", "9234"} << QStringList{} << 0
                                            << 1 << QStringList{"B1234"} << true << "" << none;
    QTest::newRow("silent adapter") << QStringList{"--silent"} << QStringList{} << 2 << -1
                                    << QStringList{} << false << "Unable to Connect To ELM" << none;
    QTest::newRow("silent cluster") << QStringList{"--no-data", "22E21A"} << QStringList{} << 3
                                    << -1 << QStringList{} << false << "NO DATA" << none;
    QTest::newRow("damaged list") << QStringList{"--drop-frame", "1"} << QStringList{} << 4 << 3
                                  << QStringList{"B1201"} << false << "incomplete" << none;
    QTest::newRow("damaged list: nothing cleared")
        << QStringList{"--drop-frame", "1"} << QStringList{"--clear"} << 4 << 3
        << QStringList{"B1201"} << false << "incomplete" << none;
    QTest::newRow("refused Clear") << QStringList{"--negative", "14:22"} << QStringList{"--clear"}
                                   << 5 << 3 << three << true << "refused" << QStringList{};
    QTest::newRow("confirmed Clear, one came back")
        << QStringList{"--keep-after-clear", "9201"} << QStringList{"--clear"} << 0 << 3 << three
        << true << "" << QStringList{"B1201"};
    QTest::newRow("a report that cannot be written")
        << QStringList{} << QStringList{"--report", "/nonexistent/folder/card.pdf"} << 6 << 3
        << three << true << "" << none;
    QTest::newRow("stopped by SIGINT") << QStringList{"--silent"} << QStringList{"SIGINT"} << 130
                                       << -1 << QStringList{} << false << "stopped" << none;
}

void TestReadCommand::reads() {
    QFETCH(QStringList, sim);
    QFETCH(QStringList, options);
    QFETCH(int, exit);
    QFETCH(int, count);
    QFETCH(QStringList, codes);
    QFETCH(bool, complete);
    QFETCH(QString, error);
    QFETCH(QStringList, cameBack);
    QProcess adapter;
    adapter.setWorkingDirectory(m_dir.path());
    adapter.start(m_dir.filePath(QStringLiteral("vorkel-sim")), QStringList{"--com", "44"} + sim);
    QVERIFY(adapter.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir.filePath(QStringLiteral("ports/COM44"))), 5000);
    const auto stopAdapter = qScopeGuard([&adapter] {
        adapter.terminate();
        adapter.waitForFinished(5000);
    });

    const bool interrupt = options.removeAll(QStringLiteral("SIGINT")) > 0;
    QProcess reader;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name)); // no display is needed
    reader.setProcessEnvironment(env);
    reader.start(m_dir.filePath(QStringLiteral("vorkel")),
                 QStringList{"--read", "--json"} + options);
    QVERIFY(reader.waitForStarted(5000));
    if (interrupt) {
        QTest::qWait(1000); // in the reset's wait
        ::kill(static_cast<pid_t>(reader.processId()), SIGINT);
    }
    QVERIFY(reader.waitForFinished(30000));
    const QByteArray said = reader.readAllStandardError();
    QCOMPARE(reader.exitStatus(), QProcess::NormalExit);
    QVERIFY2(reader.exitCode() == exit, said.constData());

    const QJsonObject json = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    QCOMPARE(json.value("program").toString(), QStringLiteral("VORKEL"));
    QCOMPARE(json.value("port").toString(), QStringLiteral("COM 44 / 38400"));
    QCOMPARE(json.value("speed").toInt(), 38400);
    QCOMPARE(json.value("count").isNull() ? -1 : json.value("count").toInt(), count);
    QStringList listed;
    for (const QJsonValue& code : json.value("codes").toArray()) {
        listed << code.toObject().value("code").toString();
        QCOMPARE(code.toObject().value("raw").toString().size(), 4);
    }
    if (codes.value(0).startsWith(QLatin1Char('*')))
        QCOMPARE(listed.size(), codes[0].mid(1).toInt());
    else
        QCOMPARE(listed, codes);
    if (codes == QStringList{"B1234"})
        QVERIFY(json.value("codes").toArray()[0].toObject().value("description").isNull());
    QCOMPARE(json.value("complete").toBool(), complete);
    if (error.isEmpty())
        QVERIFY2(json.value("error").isNull(), qPrintable(json.value("error").toString()));
    else
        QVERIFY2(json.value("error").toString().contains(error, Qt::CaseInsensitive),
                 qPrintable(json.value("error").toString()));
    if (cameBack == QStringList{QStringLiteral("-")}) {
        QVERIFY(!json.contains("clear"));
    } else {
        const QJsonObject clear = json.value("clear").toObject();
        QCOMPARE(clear.value("confirmed").toBool(), exit == 0);
        QStringList back;
        for (const QJsonValue& code : clear.value("came_back").toArray())
            back << code.toString();
        QCOMPARE(back, cameBack);
    }
}

void TestReadCommand::withoutAdapter_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("said"); // a part of standard output, or of standard error
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "VORKEL 1.0.0";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--read";
    QTest::newRow("a COM port out of range")
        << QStringList{"--read", "--com", "0"} << 1 << "--com takes a COM port number";
    QTest::newRow("an unknown option") << QStringList{"--read", "--colour"} << 1 << "colour";
    QTest::newRow("no such port") << QStringList{"--read", "--com", "45"} << 2
                                  << "ERROR! Comm Port is either in use or not found!";
}

void TestReadCommand::withoutAdapter() {
    QFETCH(QStringList, options);
    QFETCH(int, exit);
    QFETCH(QString, said);
    QProcess reader;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    reader.setProcessEnvironment(env);
    reader.start(m_dir.filePath(QStringLiteral("vorkel")), options);
    QVERIFY(reader.waitForFinished(15000));
    const QString all =
        QString::fromLocal8Bit(reader.readAllStandardOutput() + reader.readAllStandardError());
    QCOMPARE(reader.exitCode(), exit);
    QVERIFY2(all.contains(said), qPrintable(all));
}

QTEST_MAIN(TestReadCommand)
#include "tst_read_command.moc"
