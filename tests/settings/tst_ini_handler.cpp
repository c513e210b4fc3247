#include "common/app_folders.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "settings/ini_handler.h"
#include "settings/settings_file.h"
#include "support/message_recorder.h"

#include <QtTest>
#include <clocale>
#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorkel;

namespace {

const QByteArray DefaultFile = "VORKEL v1.00 INI File\r\nComPort=COM1\r\nComSpeed=9600\r\n";

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestIniHandler : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void load_data();
    void load();
    void headerOnlyKeepsMemoryAndFile();
    void save();
    void saveFailureIsReported();
    void recoveryThatCannotWriteIsReported();
    void initTestCase();
    void settingsFolder();
    void readOnlyFolderWithAWritableFile();
    void fileInTheOtherFolderIsRead();
    void rootSavesTheFolderOwnersFile();

  private:
    QTemporaryDir m_dir;
    StatusBar m_statusBar{87};
};

void TestIniHandler::init() {
    IniFilePath = m_dir.filePath(QStringLiteral("VORKEL.INI"));
    QFile::remove(IniFilePath);
    CommPortNumber = 5;
    CommSpeed = QStringLiteral("1234");
    m_statusBar.setPanelText(2, QString());
}

void TestIniHandler::load_data() {
    QTest::addColumn<QByteArray>("content"); // "<missing>": no file at all
    QTest::addColumn<bool>("replaced");      // the file becomes the default file
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("speed");
    // The network adapter taken ("bt:" and an address: the Bluetooth adapter);
    // panel 2 then shows it.
    QTest::addColumn<QString>("network");
    const QByteArray h = "VORKEL v1.00 INI File\r\n";
    QTest::newRow("no file") << QByteArray("<missing>") << true << 1 << "9600"
                             << "";
    // Opening a FIFO to read would wait for a writer: read as no file.
    QTest::newRow("a FIFO") << QByteArray("<fifo>") << true << 1 << "9600"
                            << "";
    QTest::newRow("empty file") << QByteArray() << true << 1 << "9600"
                                << "";
    QTest::newRow("header in lower case")
        << QByteArray("vorkel v1.00 ini file\r\nComPort=COM3\r\n") << true << 1 << "9600"
        << "";
    QTest::newRow("header with trailing blank")
        << QByteArray("VORKEL v1.00 INI File \r\nComPort=COM3\r\n") << true << 1 << "9600"
        << "";
    QTest::newRow("well formed") << h + "ComPort=COM3\r\nComSpeed=38400\r\n"
                                 << false << 3 << "38400"
                                 << "";
    QTest::newRow("COM12") << h + "ComPort=COM12\r\n"
                           << false << 12 << "1234"
                           << "";
    QTest::newRow("keys in any case") << h + "comport=com3\r\n"
                                      << false << 3 << "1234"
                                      << "";
    QTest::newRow("blanks around equals") << h + "ComPort = COM3\r\n"
                                          << false << 0 << "1234"
                                          << "";
    QTest::newRow("1.5 rounds to 2") << h + "ComPort=COM1.5\r\n"
                                     << false << 2 << "1234"
                                     << "";
    QTest::newRow("2.5 rounds to 2") << h + "ComPort=COM2.5\r\n"
                                     << false << 2 << "1234"
                                     << "";
    QTest::newRow("negative port") << h + "ComPort=COM-3\r\n"
                                   << false << -3 << "1234"
                                   << "";
    QTest::newRow("port out of range") << h + "ComPort=COM99999\r\n"
                                       << true << 1 << "9600"
                                       << "";
    QTest::newRow("port key line too short") << h + "xcomport\r\n"
                                             << true << 1 << "9600"
                                             << "";
    QTest::newRow("port key line of prefix length") << h + "ComPort=COM\r\n"
                                                    << false << 0 << "1234"
                                                    << "";
    QTest::newRow("speed 115200") << h + "ComSpeed=115200\r\n"
                                  << false << 5 << "115200"
                                  << "";
    QTest::newRow("speed fast") << h + "ComSpeed=fast\r\n"
                                << false << 5 << "0"
                                << "";
    QTest::newRow("speed with line settings") << h + "ComSpeed=9600,n,8,1\r\n"
                                              << false << 5 << "9600"
                                              << "";
    QTest::newRow("speed key alone") << h + "comspeed\r\n"
                                     << true << 1 << "9600"
                                     << "";
    QTest::newRow("speed overflow") << h + "ComSpeed=1e999\r\n"
                                    << true << 1 << "9600"
                                    << "";
    QTest::newRow("speed before port, lines between")
        << h + "ComSpeed=38400\r\n; a note\r\n\r\nComPort=COM4\r\n"
        << false << 4 << "38400"
        << "";
    QTest::newRow("second port line wins") << h + "ComPort=COM3\r\nComPort=COM6\r\n"
                                           << false << 6 << "1234"
                                           << "";
    QTest::newRow("a good line before a bad one still recovers to defaults")
        << h + "ComPort=COM3\r\nComPort=COM70000\r\n"
        << true << 1 << "9600"
        << "";
    QTest::newRow("no final line end") << h + "ComPort=COM8" << false << 8 << "1234"
                                       << "";
    // A file saved by a Linux editor: LF alone ends a line too.
    QTest::newRow("LF line ends") << QByteArray(
                                         "VORKEL v1.00 INI File\nComPort=COM33\nComSpeed=38400\n")
                                  << false << 33 << "38400"
                                  << "";
    QTest::newRow("LF then a value on the next line") << h + "ComPort=COM1\n2\r\n"
                                                      << false << 1 << "1234"
                                                      << "";
    QTest::newRow("decimals whatever the locale") << h + "ComPort=COM2.5\r\nComSpeed=9600.5\r\n"
                                                  << false << 2 << "9600.5"
                                                  << "";
    // A fourth line for a network adapter; a malformed one is passed over.
    const QByteArray c = h + "ComPort=COM3\r\nComSpeed=38400\r\n";
    QTest::newRow("network adapter") << c + "Network=192.168.0.10:35000\r\n"
                                     << false << 3 << "38400"
                                     << "192.168.0.10:35000";
    QTest::newRow("network adapter, IPv6") << c + "Network=[fe80::1]:35000\r\n"
                                           << false << 3 << "38400"
                                           << "[fe80::1]:35000";
    QTest::newRow("network adapter, a name saved as UTF-8") << c + "Network=b\xc3\xbc"
                                                                   "cher.example:35000\r\n"
                                                            << false << 3 << "38400"
                                                            << "xn--bcher-kva.example:35000";
    QTest::newRow("Bluetooth adapter") << c + "Bluetooth=00:1D:A5:68:98:8B\r\n"
                                       << false << 3 << "38400"
                                       << "bt:00:1D:A5:68:98:8B";
    QTest::newRow("Bluetooth address in lower case") << c + "Bluetooth=00:1d:a5:68:98:8b\r\n"
                                                     << false << 3 << "38400"
                                                     << "bt:00:1D:A5:68:98:8B";
    QTest::newRow("WiFi, then Bluetooth: the later line")
        << c + "Network=192.168.0.10:35000\r\nBluetooth=00:1D:A5:68:98:8B\r\n"
        << false << 3 << "38400"
        << "bt:00:1D:A5:68:98:8B";
    for (const char* bad : {"00:1D:A5:68:98", "00-1D-A5-68-98-8B", "G0:1D:A5:68:98:8B", ""})
        QTest::newRow(qPrintable(QStringLiteral("Bluetooth=%1").arg(QLatin1String(bad))))
            << c + "Bluetooth=" + bad + "\r\n"
            << false << 3 << "38400"
            << "";
    for (const char* bad :
         {"192.168.0.10", "192.168.0.10:0", "192.168.0.10:65536", ":35000", "192.168.0.10 :35000",
          "fe80::1:35000", "host:35x", "[[::1]]:35000", "[adapter]:35000", "192.168.0.300:35000"})
        QTest::newRow(bad) << c + "Network=" + bad + "\r\n"
                           << false << 3 << "38400"
                           << "";
}

void TestIniHandler::load() {
    QFETCH(QByteArray, content);
    QFETCH(bool, replaced);
    QFETCH(int, port);
    QFETCH(QString, speed);
    QFETCH(QString, network);
    NetworkAdapter = QStringLiteral("old:1");
    if (content == "<fifo>")
        QCOMPARE(mkfifo(QFile::encodeName(IniFilePath).constData(), 0600), 0);
    else if (content != "<missing>")
        WriteAll(IniFilePath, content);
    MessageRecorder messages;
    LoadSettings(&m_statusBar);
    QCOMPARE(int(CommPortNumber), port);
    QCOMPARE(CommSpeed, speed);
    QCOMPARE(ReadAll(IniFilePath), replaced ? DefaultFile : content);
    const QString bluetooth = network.startsWith(QLatin1String("bt:")) ? network.mid(3) : QString();
    QCOMPARE(BluetoothAdapter, bluetooth);
    QCOMPARE(NetworkAdapter, bluetooth.isEmpty() ? network : QString());
    // No Bluetooth service answers here, so the adapter goes without its name.
    QCOMPARE(m_statusBar.panelText(2),
             !bluetooth.isEmpty() ? QStringLiteral("Bluetooth ") + bluetooth
             : network.isEmpty()  ? QStringLiteral("COM %1 / %2").arg(port).arg(speed)
                                  : network);
    QVERIFY(messages.messages().isEmpty());
}

void TestIniHandler::headerOnlyKeepsMemoryAndFile() {
    WriteAll(IniFilePath, "VORKEL v1.00 INI File\r\n");
    LoadSettings(&m_statusBar);
    QCOMPARE(int(CommPortNumber), 5);
    QCOMPARE(CommSpeed, QStringLiteral("1234"));
    QCOMPARE(ReadAll(IniFilePath), QByteArray("VORKEL v1.00 INI File\r\n"));
    QCOMPARE(m_statusBar.panelText(2), QStringLiteral("COM 5 / 1234"));
}

void TestIniHandler::save() {
    WriteAll(IniFilePath, DefaultFile + "ComPort=COM9\r\nextra\r\n");
    CommPortNumber = 3;
    CommSpeed = QStringLiteral("38400");
    QVERIFY(SaveSettings(&m_statusBar));
    QCOMPARE(ReadAll(IniFilePath),
             QByteArray("VORKEL v1.00 INI File\r\nComPort=COM3\r\nComSpeed=38400\r\n"));
    QCOMPARE(m_statusBar.panelText(2), QStringLiteral("COM 3 / 38400"));
    // Nothing else is left beside it (the new file replaced the old one whole).
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("VORKEL.INI")});
}

void TestIniHandler::saveFailureIsReported() {
    // A folder that cannot hold the file: its "folder" is a plain file.
    const QString blocker = m_dir.filePath(QStringLiteral("not-a-folder"));
    WriteAll(blocker, "x");
    IniFilePath = blocker + QStringLiteral("/VORKEL.INI");
    CommPortNumber = 4;
    CommSpeed = QStringLiteral("115200");
    MessageRecorder messages;
    QVERIFY(!SaveSettings(&m_statusBar));
    QCOMPARE(messages.messages().size(), 1);
    QVERIFY(messages.messages().first().informative.contains(QStringLiteral("VORKEL.INI")));
    QCOMPARE(int(CommPortNumber), 4);
    QCOMPARE(m_statusBar.panelText(2), QStringLiteral("COM 4 / 115200"));
    // A full disk (a file size limit stands in for it) cuts the write short:
    // the file that was there stays whole.
    IniFilePath = m_dir.filePath(QStringLiteral("VORKEL.INI"));
    WriteAll(IniFilePath, DefaultFile);
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    full.rlim_cur = 10;
    ::setrlimit(RLIMIT_FSIZE, &full);
    const bool written = SaveSettings(&m_statusBar);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(!written);
    QCOMPARE(ReadAll(IniFilePath), QByteArray(DefaultFile));
    QVERIFY(messages.messages().value(1).informative.contains(qt_error_string(EFBIG)));
}

void TestIniHandler::recoveryThatCannotWriteIsReported() {
    const QString blocker = m_dir.filePath(QStringLiteral("also-not-a-folder"));
    WriteAll(blocker, "x");
    IniFilePath = blocker + QStringLiteral("/VORKEL.INI");
    MessageRecorder messages;
    LoadSettings(&m_statusBar);
    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(int(CommPortNumber), 1);
    QCOMPARE(CommSpeed, QStringLiteral("9600"));
    QCOMPARE(m_statusBar.panelText(2), QStringLiteral("COM 1 / 9600"));
}

void TestIniHandler::initTestCase() {
    // Run under a decimal-comma locale, the locale must really be in force.
    const QByteArray wanted = qgetenv("LC_ALL");
    if (!wanted.isEmpty()) QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), wanted);
}

void TestIniHandler::settingsFolder() {
    QTemporaryDir config;
    const QString configFolder = config.filePath(QStringLiteral("VORKEL"));
    // Beside the program when it can be written there...
    QCOMPARE(ChooseSettingsFolder(m_dir.path(), configFolder), m_dir.path());
    // ...else in the user's configuration folder, made when needed.
    const QString nowhere = m_dir.filePath(QStringLiteral("no-such-folder"));
    QCOMPARE(ChooseSettingsFolder(nowhere, configFolder), configFolder);
    QVERIFY(QFileInfo(configFolder).isDir());
    // ...and never in a system folder, even for root.
    QCOMPARE(ChooseSettingsFolder(QStringLiteral("/usr/bin"), configFolder), configFolder);
    QVERIFY(IsSystemProgramFolder(QStringLiteral("/opt/vorkel/bin")));
    QVERIFY(!IsSystemProgramFolder(QStringLiteral("/home/user/vorkel/build")));
}

void TestIniHandler::readOnlyFolderWithAWritableFile() {
    // A writable VORKEL.INI in a folder where no new file can be made: saving
    // it whole needs a temporary file beside it, so the user's folder is used.
    if (::geteuid() == 0) {
        // root writes anywhere: ask as another user.
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QTemporaryDir place(QStringLiteral("/tmp/vorkel-folder-XXXXXX"));
        const QString program = place.filePath(QStringLiteral("program"));
        const QString config = place.filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(config));
        WriteAll(program + QStringLiteral("/VORKEL.INI"), DefaultFile);
        QVERIFY(::chmod(place.path().toLocal8Bit().constData(), 0755) == 0);
        QVERIFY(::chmod(program.toLocal8Bit().constData(), 0555) == 0);
        QVERIFY(::chmod((program + QStringLiteral("/VORKEL.INI")).toLocal8Bit().constData(),
                        0666) == 0);
        QVERIFY(::chown(config.toLocal8Bit().constData(), nobody->pw_uid, nobody->pw_gid) == 0);
        const QString writer = place.filePath(QStringLiteral("settings_writer"));
        QVERIFY(QFile::copy(QStringLiteral(SETTINGS_WRITER), writer));
        QProcess child;
        child.setChildProcessModifier([uid = nobody->pw_uid, gid = nobody->pw_gid] {
            if (::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(3);
        });
        child.start(writer, {QStringLiteral("--choose"), program, config});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed(),
                 config + QStringLiteral("/VORKEL.INI saved"));
        return;
    }
    QTemporaryDir place;
    const QString program = place.filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program));
    WriteAll(program + QStringLiteral("/VORKEL.INI"), DefaultFile);
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString config = place.filePath(QStringLiteral("config"));
    IniFilePath =
        QDir(ChooseSettingsFolder(program, config)).filePath(QStringLiteral("VORKEL.INI"));
    QCOMPARE(IniFilePath, config + QStringLiteral("/VORKEL.INI"));
    QVERIFY(SaveSettings(&m_statusBar));
    QFile::setPermissions(program,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestIniHandler::fileInTheOtherFolderIsRead() {
    QTemporaryDir other;
    const QString otherFile = other.filePath(QStringLiteral("VORKEL.INI"));
    WriteAll(otherFile, "VORKEL v1.00 INI File\r\nComPort=COM33\r\nComSpeed=38400\r\n");
    LoadSettings(&m_statusBar, otherFile);
    QCOMPARE(int(CommPortNumber), 33);
    QCOMPARE(CommSpeed, QStringLiteral("38400"));
    QCOMPARE(PortFromSettingsFile(IniFilePath, otherFile), 33);
    QVERIFY(!QFile::exists(IniFilePath)); // written at the next Save, not before
    QVERIFY(SaveSettings(&m_statusBar));
    QCOMPARE(ReadAll(IniFilePath), ReadAll(otherFile));
    // The chosen folder's own file wins once it is there.
    WriteAll(otherFile, QByteArray(DefaultFile).replace("COM1", "COM7"));
    LoadSettings(&m_statusBar, otherFile);
    QCOMPARE(int(CommPortNumber), 33);
}

void TestIniHandler::rootSavesTheFolderOwnersFile() {
    if (::geteuid() != 0) QSKIP("needs root (sudo vorkel)");
    const passwd* nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    QTemporaryDir folder;
    QVERIFY(::chown(folder.path().toLocal8Bit().constData(), nobody->pw_uid, nobody->pw_gid) == 0);
    IniFilePath = folder.filePath(QStringLiteral("VORKEL.INI"));
    QVERIFY(SaveSettings(&m_statusBar));
    QCOMPARE(QFileInfo(IniFilePath).ownerId(), nobody->pw_uid);
    // A link put there is neither written through nor given away.
    const QString target = m_dir.filePath(QStringLiteral("roots-file"));
    WriteAll(target, "root's\n");
    QVERIFY(QFile::remove(IniFilePath) && QFile::link(target, IniFilePath));
    MessageRecorder messages;
    QVERIFY(!SaveSettings(&m_statusBar));
    QVERIFY(messages.messages().value(0).informative.contains(QStringLiteral("link")));
    QCOMPARE(ReadAll(target), QByteArray("root's\n"));
    QCOMPARE(QFileInfo(target).ownerId(), 0u);
}

QTEST_MAIN(TestIniHandler)
#include "tst_ini_handler.moc"
