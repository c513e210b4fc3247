#include "common/app_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vorkel {

QString UserConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VORKEL");
}

QString ChooseSettingsFolder(const QString& programFolder, const QString& configFolder) {
    const QFileInfo folder(programFolder);
    const QFileInfo file(QDir(programFolder).filePath(QStringLiteral("VORKEL.INI")));
    if ((folder.isDir() && folder.isWritable()) || (file.exists() && file.isWritable()))
        return programFolder;
    QDir().mkpath(configFolder);
    return configFolder;
}

} // namespace vorkel
