#include "common/port_device.h"

#include "common/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSerialPortInfo>
#include <QThread>
#include <cerrno>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace vorkel {
namespace {

QString& PortsFolderOverride() {
    static QString folder;
    return folder;
}

#ifndef Q_OS_WIN
QString BuiltInDevice(int portNumber) {
    struct Range {
        int first;
        const char* prefix;
    };
    static const Range ranges[] = {
        {1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}, {97, "/dev/rfcomm"}};
    for (const Range& range : ranges) {
        if (portNumber >= range.first && portNumber < range.first + 32)
            return QString::fromLatin1(range.prefix) + QString::number(portNumber - range.first);
    }
    return {};
}

// What a file that is no regular file is, in the user's words.
QString KindOfFile(mode_t mode) {
    if (S_ISLNK(mode)) return QStringLiteral("a link");
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("a regular file");
}

// Whether the process pid runs the program named in a lock file (its file
// name, as the serial port code compares them); true when either is unknown.
bool IsProgramOf(qint64 pid, const QString& application) {
    QString running = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    // A program upgraded while it runs: the kernel names its old file so. Qt
    // reads it the same way when it decides whether the lock is stale.
    const QLatin1String deleted(" (deleted)");
    if (running.endsWith(deleted)) running.chop(deleted.size());
    if (running.isEmpty() || application.isEmpty()) return true;
    QFileInfo named(application);
    if (named.isSymLink()) named.setFile(named.symLinkTarget());
    return QFileInfo(running).fileName() == named.fileName();
}
#endif

// A lock held by another program is let go within microseconds (one line);
// one held longer (a program stopped in the middle) is waited for 0.2 s.
constexpr int LockAttempts = 100;

} // namespace

bool IsPlaceholderPort(const QString& device, const QByteArray& sysfsType) {
    return device.startsWith(QLatin1String("/dev/ttyS")) && sysfsType.trimmed() == "0";
}

bool DevicePresent(const QString& device) {
    if (device.isEmpty()) return false;
#ifdef Q_OS_WIN
    // \\.\COMn is no file to look at; the system's list of ports says it.
    const QString name = device.mid(4);
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.portName().compare(name, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
#else
    if (!QFileInfo::exists(device)) return false;
    if (!device.startsWith(QLatin1String("/dev/ttyS"))) return true; // only those have placeholders
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(device.mid(5)));
    return !(type.open(QIODevice::ReadOnly) && IsPlaceholderPort(device, type.readAll()));
#endif
}

bool HasFileChecks(const QString& device) {
    return !device.startsWith(QLatin1String("\\\\.\\"));
}

bool IsSerialLine(const QString& device, QString& why) {
    why.clear();
    if (!HasFileChecks(device)) return DevicePresent(device);
#ifdef Q_OS_WIN
    const QFileInfo info(device);
    why = info.isDir() ? QStringLiteral("a folder") : QStringLiteral("a file");
    return false;
#else
    struct stat st = {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0) return false;
    if (!S_ISCHR(st.st_mode)) {
        why = KindOfFile(st.st_mode);
        return false;
    }
    // Pseudo-terminal slaves have majors 136 to 143 and no entry in /sys/dev/char.
    const unsigned int kind = major(st.st_rdev);
    if (kind >= 136 && kind <= 143) return true;
    const QString sys = QStringLiteral("/sys/dev/char/%1:%2").arg(kind).arg(minor(st.st_rdev));
    if (!QFileInfo::exists(QStringLiteral("/sys/dev/char"))) return true; // no sysfs to ask
    if (QFileInfo(sys + QStringLiteral("/subsystem"))
            .canonicalFilePath()
            .endsWith(QLatin1String("/tty")))
        return true;
    why = QStringLiteral("a device that is not a serial line");
    return false;
#endif
}

DeviceLock LockOfDevice(const QString& device) {
    DeviceLock lock;
#ifdef Q_OS_WIN
    Q_UNUSED(device);
#else
    // Where the serial port code locks a device: "LCK.." and the name under
    // /dev with '/' as '_', in the first usable one of the usual folders.
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/"))) name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    static const char* const folders[] = {"/var/lock",         "/etc/locks", "/var/spool/locks",
                                          "/var/spool/uucp",   "/tmp",       "/var/tmp",
                                          "/var/lock/lockdev", "/run/lock"};
    for (const char* folder : folders) {
        const QString path = QLatin1String(folder) + QStringLiteral("/LCK..") + name;
        const QFileInfo folderInfo{QLatin1String(folder)};
        if (!folderInfo.isReadable() || (!QFileInfo::exists(path) && !folderInfo.isWritable()))
            continue;
        if (!QFileInfo::exists(path)) return lock;
        qint64 pid = 0;
        QString host;
        QString application;
        lock.path = path;
        // kill() of a pid past pid_t's range would name a process group, or
        // every process: such a lock has no owner. One whose pid now belongs
        // to another program holds nothing either: the serial port code takes
        // it over, as it does one whose process has ended.
        const bool readable = QLockFile(path).getLockInfo(&pid, &host, &application);
        lock.garbled = !readable || pid <= 0;
        lock.ownerRunning = !lock.garbled && pid <= std::numeric_limits<pid_t>::max() &&
                            (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) &&
                            IsProgramOf(pid, application);
        lock.removable = ::geteuid() == 0 || QFileInfo(path).ownerId() == ::geteuid();
        return lock;
    }
#endif
    return lock;
}

QString StaleLockFile(const QString& device) {
    return StaleLockFile(LockOfDevice(device));
}

QString StaleLockFile(const DeviceLock& lock) {
    const bool blocks = !lock.ownerRunning && (!lock.removable || lock.garbled);
    return !lock.path.isEmpty() && blocks ? lock.path : QString();
}

void GiveToFolderOwner(const QString& file) {
#ifdef Q_OS_WIN
    Q_UNUSED(file);
#else
    const QFileInfo folder(QFileInfo(file).absolutePath());
    if (::geteuid() != 0 || folder.ownerId() == 0) return;
    // A file left as root's is no loss of data: nothing more to do when this fails.
    if (::lchown(QFile::encodeName(file).constData(), folder.ownerId(), folder.groupId()) != 0)
        return;
#endif
}

QString NotARegularFile(const QString& path) {
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction()) return QStringLiteral("a link");
    if (info.exists() && !info.isFile()) return QStringLiteral("not a regular file");
    return {};
#else
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode)) return {};
    return KindOfFile(st.st_mode);
#endif
}

int OpenOwnFile(const QString& path, QString& why) {
    // Looked at first, so that a device is never opened at all.
    why = NotARegularFile(path);
    if (!why.isEmpty()) return -1;
#ifdef Q_OS_WIN
    int handle = -1;
    if (_wsopen_s(&handle, reinterpret_cast<const wchar_t*>(path.utf16()),
                  _O_RDWR | _O_APPEND | _O_BINARY | _O_NOINHERIT | _O_CREAT, _SH_DENYNO,
                  _S_IREAD | _S_IWRITE) != 0) {
        why = qt_error_string();
        return -1;
    }
    return handle;
#else
    // O_NOFOLLOW and O_NONBLOCK: a link or a FIFO slipped in since the look is
    // refused at once instead of written through or waited on.
    const int handle =
        ::open(QFile::encodeName(path).constData(),
               O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_CREAT, 0666);
    if (handle < 0) {
        why = errno == ELOOP ? QStringLiteral("a link") : qt_error_string();
        return -1;
    }
    struct stat st = {};
    if (::fstat(handle, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = KindOfFile(st.st_mode);
        ::close(handle);
        return -1;
    }
    ::fcntl(handle, F_SETFL, O_APPEND);
    return handle;
#endif
}

bool MoveOver(const QString& from, const QString& to, QString& why) {
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                    reinterpret_cast<const wchar_t*>(to.utf16()), MOVEFILE_REPLACE_EXISTING))
        return true;
#else
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
#endif
    why = qt_error_string();
    return false;
}

bool LockOwnFile(int handle, bool lock) {
    for (int attempt = 0; attempt < LockAttempts; ++attempt) {
#ifdef Q_OS_WIN
        auto file = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
        OVERLAPPED whole{};
        const bool done =
            lock ? LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                              MAXDWORD, MAXDWORD, &whole)
                 : UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
        if (done || !lock) return done;
#else
        if (::flock(handle, lock ? LOCK_EX | LOCK_NB : LOCK_UN) == 0) return true;
        if (!lock || (errno != EWOULDBLOCK && errno != EINTR)) return false;
#endif
        QThread::msleep(2);
    }
    return false;
}

bool IsFileAt(int handle, const QString& path) {
#ifdef Q_OS_WIN
    // Windows renames no file that is open without delete sharing.
    Q_UNUSED(handle);
    return QFileInfo::exists(path);
#else
    struct stat open = {};
    struct stat there = {};
    return ::fstat(handle, &open) == 0 &&
           ::lstat(QFile::encodeName(path).constData(), &there) == 0 &&
           open.st_dev == there.st_dev && open.st_ino == there.st_ino;
#endif
}

QStringList PortsFolders() {
    if (!PortsFolderOverride().isEmpty()) return {PortsFolderOverride()};
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/ports"),
            UserConfigFolder() + QStringLiteral("/ports")};
}

void SetPortsFolder(const QString& folder) {
    PortsFolderOverride() = folder;
}

PortDevice DeviceForPort(int portNumber) {
    PortDevice result;
    if (portNumber < 1) return result;
#ifdef Q_OS_WIN
    result.shownName = QStringLiteral("COM%1").arg(portNumber);
    result.device = QStringLiteral("\\\\.\\COM%1").arg(portNumber);
#else
    for (const QString& folder : PortsFolders()) {
        const QString link = folder + QStringLiteral("/COM%1").arg(portNumber);
        const QFileInfo linkInfo(link);
        if (linkInfo.exists() || linkInfo.isSymLink()) {
            result.shownName = linkInfo.isSymLink() ? linkInfo.symLinkTarget() : link;
            // A link whose target has gone has no device behind it.
            result.device = linkInfo.canonicalFilePath();
            return result;
        }
    }
    result.shownName = BuiltInDevice(portNumber);
    if (!result.shownName.isEmpty())
        result.device = QFileInfo(result.shownName).canonicalFilePath();
#endif
    return result;
}

} // namespace vorkel
