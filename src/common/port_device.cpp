#include "common/port_device.h"

#include "common/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
