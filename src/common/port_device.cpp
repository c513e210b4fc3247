#include "common/port_device.h"

#include "common/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
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

QString StaleLockFile(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return {};
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
        qint64 pid = 0;
        QString host;
        QString application;
        if (!QFileInfo::exists(path) || !QLockFile(path).getLockInfo(&pid, &host, &application))
            return {};
        const bool running = pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        return running ? QString() : path;
    }
    return {};
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
