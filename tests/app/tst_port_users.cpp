// The port and the other programs and users around it: a program killed while
// it holds the port leaves no lock file behind, a lock file left by another
// user's killed program is named, and Setup shows a user the ports they may not open.
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

class TestPortUsers : public QObject {
    Q_OBJECT
  private slots:
    void signalClosesThePort_data();
    void signalClosesThePort();
    void staleLockOfAnotherUserIsNamed();
    void setupShowsPortsTheUserMayNotOpen();
};

void TestPortUsers::signalClosesThePort_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("nohup"); // started with SIGHUP ignored
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP under nohup, then SIGTERM") << int(SIGHUP) << true;
}

void TestPortUsers::signalClosesThePort() {
    QFETCH(int, signal);
    QFETCH(bool, nohup);
    SimFixture fixture(FastAdapter());
    const QString lock = LockFileOf(fixture.sim().SlavePath());
    QProcess user;
    if (nohup) user.setChildProcessModifier([] { std::signal(SIGHUP, SIG_IGN); });
    user.start(QStringLiteral(PORT_USER),
               {QStringLiteral("connect"), fixture.portsDir(), QString::number(fixture.comPort())});
    QVERIFY(user.waitForStarted(5000));
    // The simulator answers from this process's event loop.
    QTRY_VERIFY_WITH_TIMEOUT(user.canReadLine(), 15000);
    QCOMPARE(user.readLine().trimmed(), QByteArray("Connected"));
    QVERIFY2(QFileInfo::exists(lock), qPrintable(lock));
    QVERIFY(::kill(static_cast<pid_t>(user.processId()), signal) == 0);
    if (nohup) {
        QTest::qWait(500); // the watch looks every 100 ms
        QCOMPARE(user.state(), QProcess::Running);
        QVERIFY(::kill(static_cast<pid_t>(user.processId()), SIGTERM) == 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(user.state() == QProcess::NotRunning, 5000);
    QCOMPARE(user.exitStatus(), QProcess::NormalExit);
    QVERIFY2(!QFileInfo::exists(lock), qPrintable(lock));
}

void TestPortUsers::staleLockOfAnotherUserIsNamed() {
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

void TestPortUsers::setupShowsPortsTheUserMayNotOpen() {
    if (::geteuid() != 0) QSKIP("needs root to act as a user outside dialout");
    const passwd* nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    SimFixture fixture(FastAdapter()); // COM7, left as it is: root's alone
    const auto usable = fixture.addPort(3);
    const QString usableDevice = QFileInfo(usable->SlavePath()).canonicalFilePath();
    QVERIFY(::chmod(usableDevice.toLocal8Bit().constData(), 0666) == 0);
    QVERIFY(::chmod(fixture.portsDir().toLocal8Bit().constData(), 0755) == 0);
    QTemporaryDir place(QStringLiteral("/tmp/vorkel-setup-XXXXXX"));
    QVERIFY(::chmod(place.path().toLocal8Bit().constData(), 0755) == 0);
    const QString user = place.filePath(QStringLiteral("port_user"));
    QVERIFY(QFile::copy(QStringLiteral(PORT_USER), user));
    QProcess setup;
    setup.setChildProcessModifier([uid = nobody->pw_uid, gid = nobody->pw_gid] {
        if (::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(3);
    });
    setup.start(user, {QStringLiteral("setup"), fixture.portsDir(), QStringLiteral("3")});
    QVERIFY(setup.waitForFinished(15000));
    QCOMPARE(setup.exitCode(), 0);
    const QStringList entries = QString::fromLocal8Bit(setup.readAllStandardOutput())
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // The usable port as always, and COM7 shown greyed with why and what to do.
    QVERIFY2(entries.size() >= 2, qPrintable(entries.join('\n')));
    QVERIFY2(entries.first().startsWith(QStringLiteral("COM3|1|")), qPrintable(entries.join('\n')));
    const QStringList blocked = entries.filter(QStringLiteral("(COM7 no access)|0|"));
    QCOMPARE(blocked.size(), 1);
    QVERIFY2(blocked.first().contains(QStringLiteral("sudo usermod -aG dialout")),
             qPrintable(blocked.first()));
}

QTEST_GUILESS_MAIN(TestPortUsers)
#include "tst_port_users.moc"
