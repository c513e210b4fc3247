#include <QtTest>
#include <random>

// Kills a program that keeps saving the settings file, at random moments, and
// checks that the file is always one whole version or the other.
class TestSettingsDurability : public QObject {
    Q_OBJECT
  private slots:
    void killedWhileSaving();
};

void TestSettingsDurability::killedWhileSaving() {
    const QByteArray first = "VORKEL v1.00 INI File\r\nComPort=COM3\r\nComSpeed=38400\r\n";
    const QByteArray second = "VORKEL v1.00 INI File\r\nComPort=COM12\r\nComSpeed=115200\r\n";
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("VORKEL.INI"));
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> moment(1, 40);
    for (int round = 0; round < 60; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(SETTINGS_WRITER), {ini});
        QVERIFY(writer.waitForStarted(5000));
        QVERIFY(writer.waitForReadyRead(5000)); // the first save is done
        QTest::qSleep(moment(random));
        writer.kill(); // SIGKILL: no chance to finish anything
        QVERIFY(writer.waitForFinished(5000));
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY2(content == first || content == second, content.constData());
    }
}

QTEST_GUILESS_MAIN(TestSettingsDurability)
#include "tst_settings_durability.moc"
