#include "common/app_folders.h"
#include "common/find_list_entry.h"
#include "common/mscomm.h"
#include "common/port_device.h"
#include "link/serial_port.h"
#include "support/sim_fixture.h"

#include <QListWidget>
#include <QProcess>
#include <QSerialPort>
#include <QStandardPaths>
#include <QtTest>
#include <sys/stat.h>

using namespace vorkel;

class TestSerialPort : public QObject {
    Q_OBJECT
  private slots:
    void builtInDevices_data();
    void builtInDevices();
    void linkInPortsFolder();
    void linkInUserConfigFolder();
    void comPortExists();
    void portInUseWhateverItsName();
    void findListEntry_data();
    void findListEntry();
    void lineSettings_data();
    void lineSettings();
    void permissionAdvice();
    void placeholderPorts_data();
    void placeholderPorts();
    void lockFiles_data();
    void lockFiles();
};

void TestSerialPort::builtInDevices_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("COM1") << 1 << "/dev/ttyS0";
    QTest::newRow("COM32") << 32 << "/dev/ttyS31";
    QTest::newRow("COM33") << 33 << "/dev/ttyUSB0";
    QTest::newRow("COM64") << 64 << "/dev/ttyUSB31";
    QTest::newRow("COM65") << 65 << "/dev/ttyACM0";
    QTest::newRow("COM97") << 97 << "/dev/rfcomm0";
    QTest::newRow("COM128") << 128 << "/dev/rfcomm31";
    QTest::newRow("COM129") << 129 << "";
    QTest::newRow("COM0") << 0 << "";
    QTest::newRow("negative") << -3 << "";
}

void TestSerialPort::builtInDevices() {
    QFETCH(int, port);
    QFETCH(QString, device);
    QTemporaryDir empty;
    SetPortsFolder(empty.path());
    QCOMPARE(DeviceForPort(port).shownName, device);
    SetPortsFolder(QString());
}

void TestSerialPort::linkInPortsFolder() {
    SimFixture fixture(FastAdapter(), 3);
    const PortDevice device = DeviceForPort(3);
    QCOMPARE(device.shownName, fixture.sim().SlavePath());
    QCOMPARE(device.device, QFileInfo(fixture.sim().SlavePath()).canonicalFilePath());
    // A link whose device has gone has nothing behind it.
    QVERIFY(QFile::link(QStringLiteral("/dev/no-such-device"),
                        fixture.portsDir() + QStringLiteral("/COM4")));
    QVERIFY(DeviceForPort(4).device.isEmpty());
    QVERIFY(!ComPortExists(4));
    QCOMPARE(AssessComPort(4).problem, PortProblem::NotFound);
}

void TestSerialPort::linkInUserConfigFolder() {
    // An installed program cannot write beside itself: links in the user's
    // configuration folder count as well.
    QStandardPaths::setTestModeEnabled(true);
    SimFixture fixture(FastAdapter(), 200);
    const QString folder = UserConfigFolder() + QStringLiteral("/ports");
    QVERIFY(QDir().mkpath(folder));
    const QString link = folder + QStringLiteral("/COM201");
    QFile::remove(link);
    QVERIFY(QFile::link(fixture.sim().SlavePath(), link));
    SetPortsFolder(QString());
    QCOMPARE(DeviceForPort(201).shownName, fixture.sim().SlavePath());
    QVERIFY(ComPortExists(201));
    QFile::remove(link);
    QStandardPaths::setTestModeEnabled(false);
}

void TestSerialPort::comPortExists() {
    SimFixture fixture(FastAdapter(), 3);
    QVERIFY(!ComPortExists(0));
    QVERIFY(!ComPortExists(-1));
    QVERIFY(!ComPortExists(250));
    // The first test leaves nothing open.
    QVERIFY(ComPortExists(3));
    QVERIFY(ComPortExists(3));
}

void TestSerialPort::portInUseWhateverItsName() {
    SimFixture fixture(FastAdapter(), 3);
    // Held by another program under its real name; tested through the link.
    QSerialPort other(fixture.sim().SlavePath());
    QVERIFY(other.open(QIODevice::ReadWrite));
    QVERIFY(!ComPortExists(3));
    QCOMPARE(AssessComPort(3).problem, PortProblem::InUse);
    other.close();
    QVERIFY(ComPortExists(3));
    // Held by this program's own control.
    MSComm comm;
    comm.setCommPort(3);
    QVERIFY(comm.setPortOpen(true));
    QVERIFY(!ComPortExists(3));
}

void TestSerialPort::findListEntry_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    const QStringList ports{"COM1", "COM3", "COM10", "COM12"};
    QTest::newRow("first of several that begin alike") << ports << "COM1" << 0;
    QTest::newRow("COM12") << ports << "COM12" << 3;
    QTest::newRow("case ignored") << ports << "com3" << 1;
    QTest::newRow("none") << ports << "COM2" << -1;
    QTest::newRow("empty list") << QStringList{} << "COM1" << -1;
    QTest::newRow("speed") << QStringList{"9600", "38400", "115200"} << "38400" << 1;
    QTest::newRow("speed 0") << QStringList{"9600", "38400", "115200"} << "0" << -1;
    QTest::newRow("longer than the entry") << QStringList{"9600"} << "96000" << -1;
}

void TestSerialPort::findListEntry() {
    QFETCH(QStringList, entries);
    QFETCH(QString, text);
    QFETCH(int, index);
    QListWidget list;
    list.addItems(entries);
    QCOMPARE(FindListEntry(text, &list), index);
}

void TestSerialPort::lineSettings_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("usable");
    QTest::newRow("9600,n,8,1") << "9600,n,8,1" << true;
    QTest::newRow("115200,n,8,1") << "115200,n,8,1" << true;
    QTest::newRow("38400,e,7,2") << "38400,e,7,2" << true;
    QTest::newRow("empty speed") << ",n,8,1" << false;
    QTest::newRow("speed 0") << "0,n,8,1" << false;
    QTest::newRow("fraction") << "1.5,n,8,1" << false;
    QTest::newRow("word") << "fast,n,8,1" << false;
    QTest::newRow("bad parity") << "9600,x,8,1" << false;
}

void TestSerialPort::lineSettings() {
    QFETCH(QString, text);
    QFETCH(bool, usable);
    LineSettings settings;
    QCOMPARE(ParseLineSettings(text, settings), usable);
}

void TestSerialPort::permissionAdvice() {
    PortProbe probe;
    probe.problem = PortProblem::NoPermission;
    probe.device = QStringLiteral("/dev/ttyUSB0");
    const QString words = DescribePortProblem(33, probe);
    QVERIFY(words.contains(QStringLiteral("/dev/ttyUSB0")));
    QVERIFY(words.contains(QStringLiteral("dialout")));
}

void TestSerialPort::placeholderPorts_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("placeholder");
    QTest::newRow("ttyS0, no UART") << "/dev/ttyS0" << QByteArray("0\n") << true;
    QTest::newRow("ttyS31, no UART") << "/dev/ttyS31" << QByteArray("0") << true;
    QTest::newRow("ttyS0, a 16550A") << "/dev/ttyS0" << QByteArray("4\n") << false;
    QTest::newRow("ttyS4, type not readable") << "/dev/ttyS4" << QByteArray() << false;
    QTest::newRow("ttyUSB0 is never one") << "/dev/ttyUSB0" << QByteArray("0\n") << false;
    QTest::newRow("a pseudo-terminal") << "/dev/pts/3" << QByteArray("0\n") << false;
}

void TestSerialPort::placeholderPorts() {
    QFETCH(QString, device);
    QFETCH(QByteArray, type);
    QFETCH(bool, placeholder);
    QCOMPARE(IsPlaceholderPort(device, type), placeholder);
}

void TestSerialPort::lockFiles_data() {
    QTest::addColumn<QString>("behind");     // what COM3 leads to: the adapter, or something else
    QTest::addColumn<QByteArray>("content"); // of the adapter's lock file; empty: none
    QTest::addColumn<int>("problem");        // what Setup's port test says
    QTest::addColumn<bool>("opens");         // whether Connect's one open gets it
    const QByteArray own = QByteArray::number(QCoreApplication::applicationPid());
    const int none = int(PortProblem::None);
    const int notSerial = int(PortProblem::NotSerial);
    QTest::newRow("held by a running process") << "adapter" << own + "\ntst_serial_port\n\n"
                                               << int(PortProblem::InUse) << false;
    // Its pid now belongs to another program: the open, by Qt's lock rules, decides.
    QTest::newRow("pid reused by another program") << "adapter" << own + "\nminicom\n\n"
                                                   << none << true;
    // Its program's file replaced while it runs (an upgrade): still that program's.
    QTest::newRow("held by a program upgraded while it runs")
        << "adapter" << QByteArray("<deleted>") << int(PortProblem::InUse) << false;
    QTest::newRow("garbled") << "adapter" << QByteArray("garbage\n") << int(PortProblem::StaleLock)
                             << false;
    QTest::newRow("pid out of range, ours to remove")
        << "adapter" << QByteArray("99999999999\nvorkel\n\n") << none << true;
    QTest::newRow("pid 0") << "adapter" << QByteArray("0\nvorkel\n\n")
                           << int(PortProblem::StaleLock) << false;
    QTest::newRow("no lock") << "adapter" << QByteArray() << none << true;
    // A link in ports/ may lead to anything; only a serial line is a port.
    QTest::newRow("/dev/null") << "/dev/null" << QByteArray() << notSerial << false;
    QTest::newRow("a FIFO") << "fifo" << QByteArray() << notSerial << false;
    QTest::newRow("a folder") << "folder" << QByteArray() << notSerial << false;
    QTest::newRow("a regular file") << "file" << QByteArray() << notSerial << false;
    // Windows: \\.\COMn is no file; the open alone says whether it is free.
    QTest::newRow("a Windows port name") << "\\\\.\\COM3" << QByteArray() << none << true;
}

void TestSerialPort::lockFiles() {
    QFETCH(QString, behind);
    QFETCH(QByteArray, content);
    QFETCH(int, problem);
    QFETCH(bool, opens);
    if (behind.startsWith(QLatin1String("\\\\"))) {
        QVERIFY(!HasFileChecks(behind));
        QVERIFY(HasFileChecks(QStringLiteral("/dev/ttyUSB0")));
        return;
    }
    SimFixture fixture(FastAdapter(), 7);
    QTemporaryDir other; // a FIFO, a folder or a file made there, by the row's name
    const QString device = behind == QLatin1String("adapter")    ? fixture.sim().SlavePath()
                           : behind.startsWith(QLatin1Char('/')) ? behind
                                                                 : other.filePath(behind);
    if (behind == QLatin1String("fifo")) ::mkfifo(QFile::encodeName(device).constData(), 0600);
    if (behind == QLatin1String("folder")) QDir().mkdir(device);
    if (behind == QLatin1String("file")) QFile(device).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(device, fixture.portsDir() + QStringLiteral("/COM3")));
    QString name = QFileInfo(fixture.sim().SlavePath()).canonicalFilePath().mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    QFile lock(QStringLiteral("/var/lock/LCK..") + name);
    QProcess upgraded;
    if (content == "<deleted>") {
        const QString program = other.filePath(QStringLiteral("vorkel"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
        upgraded.start(program, {QStringLiteral("30")});
        QVERIFY(upgraded.waitForStarted(5000));
        QFile::remove(program);
        content = QByteArray::number(upgraded.processId()) + "\nvorkel\n\n";
    }
    if (!content.isEmpty()) {
        if (!lock.open(QIODevice::WriteOnly)) QSKIP("the lock folder does not take files");
        lock.write(content);
        lock.close();
    }
    const PortProbe probe = AssessComPort(3);
    UseComPort(3);
    MSComm comm;
    OpenComPort(comm);
    const bool opened = comm.PortOpen();
    comm.setPortOpen(false);
    lock.remove();
    upgraded.kill();
    upgraded.waitForFinished(5000);
    QCOMPARE(int(probe.problem), problem);
    QCOMPARE(opened, opens);
    if (probe.problem == PortProblem::StaleLock) QCOMPARE(probe.detail, lock.fileName());
    if (probe.problem == PortProblem::NotSerial) {
        QVERIFY(DescribePortProblem(3, probe).startsWith(
            QStringLiteral("COM3 is %1, which is not a serial port")
                .arg(QFileInfo(device).absoluteFilePath())));
        QVERIFY(!DescribeSerialDevices(7).contains(QStringLiteral("COM3")));
    }
}

QTEST_MAIN(TestSerialPort)
#include "tst_serial_port.moc"
