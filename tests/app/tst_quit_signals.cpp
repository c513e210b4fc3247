// A program killed while it holds the port leaves no lock file behind, and a
// lock file left by another user's killed program is named to the user.
#include "support/sim_fixture.h"

#include <QtTest>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString LockFileOf(const QString& device) {
    QString name = QFileInfo(device).canonicalFilePath().mid(5); // under /dev
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("/var/lock/LCK..") + name;
}

} // namespace

class TestQuitSignals : public QObject {
    Q_OBJECT
  private slots:
    void signalClosesThePort_data();
    void signalClosesThePort();
    void staleLockOfAnotherUserIsNamed();
};

void TestQuitSignals::signalClosesThePort_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestQuitSignals::signalClosesThePort() {
    QFETCH(int, signal);
    SimFixture fixture(FastAdapter());
    const QString lock = LockFileOf(fixture.sim().SlavePath());
    QProcess user;
    user.start(QStringLiteral(PORT_USER),
               {QStringLiteral("connect"), fixture.portsDir(), QString::number(fixture.comPort())});
    QVERIFY(user.waitForStarted(5000));
    // The simulator answers from this process's event loop.
    QTRY_VERIFY_WITH_TIMEOUT(user.canReadLine(), 15000);
    QCOMPARE(user.readLine().trimmed(), QByteArray("Connected"));
    QVERIFY2(QFileInfo::exists(lock), qPrintable(lock));
    QVERIFY(::kill(static_cast<pid_t>(user.processId()), signal) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(user.state() == QProcess::NotRunning, 5000);
    QCOMPARE(user.exitStatus(), QProcess::NormalExit);
    QVERIFY2(!QFileInfo::exists(lock), qPrintable(lock));
}

void TestQuitSignals::staleLockOfAnotherUserIsNamed() {
    if (::geteuid() != 0) QSKIP("needs root to act as a second user");
    const passwd* nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    SimFixture fixture(FastAdapter());
    const QString device = QFileInfo(fixture.sim().SlavePath()).canonicalFilePath();
    QVERIFY(::chmod(device.toLocal8Bit().constData(), 0666) == 0);
    // The user program, where the other user may run it.
    QTemporaryDir place(QStringLiteral("/tmp/vorkel-lock-XXXXXX"));
    QVERIFY(::chmod(place.path().toLocal8Bit().constData(), 0755) == 0);
    const QString user = place.filePath(QStringLiteral("port_user"));
    QVERIFY(QFile::copy(QStringLiteral(PORT_USER), user));
    QVERIFY(QFileInfo(fixture.portsDir()).isDir());
    QVERIFY(::chmod(fixture.portsDir().toLocal8Bit().constData(), 0755) == 0);
    // A lock left by a process of root's that has ended.
    QProcess ended;
    ended.start(QStringLiteral("true"));
    QVERIFY(ended.waitForStarted(5000));
    const qint64 endedPid = ended.processId();
    QVERIFY(ended.waitForFinished(5000));
    const QString lock = LockFileOf(device);
    QFile file(lock);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(endedPid) + "\nvorkel\nlocalhost\n");
    file.close();

    QProcess probe;
    probe.setChildProcessModifier([uid = nobody->pw_uid, gid = nobody->pw_gid] {
        if (::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(3);
    });
    probe.start(user,
                {QStringLiteral("probe"), fixture.portsDir(), QString::number(fixture.comPort())});
    QVERIFY(probe.waitForFinished(10000));
    const QString said = QString::fromLocal8Bit(probe.readAllStandardOutput());
    QFile::remove(lock);
    QCOMPARE(probe.exitCode(), 0);
    QVERIFY2(said.contains(QStringLiteral("stale lock file ") + lock), qPrintable(said));
    QVERIFY2(!said.contains(QStringLiteral("Another program")), qPrintable(said));
}

QTEST_GUILESS_MAIN(TestQuitSignals)
#include "tst_quit_signals.moc"
