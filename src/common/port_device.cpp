#include "common/port_device.h"

#include "common/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSerialPortInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <limits>
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
#endif

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
        // every process: such a lock, like a garbled one, has no owner.
        const bool readable = QLockFile(path).getLockInfo(&pid, &host, &application);
        lock.garbled = !readable || pid <= 0 || pid > std::numeric_limits<pid_t>::max();
        lock.ownerRunning =
            !lock.garbled && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
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
    if (::chown(QFile::encodeName(file).constData(), folder.ownerId(), folder.groupId()) != 0)
        return;
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
