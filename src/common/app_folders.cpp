#include "common/app_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vorkel {

QString UserConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VORKEL");
}

bool IsSystemProgramFolder(const QString& folder) {
    static const char* const system[] = {"/usr/", "/bin", "/sbin", "/opt/", "/snap/"};
    const QString path = QDir::cleanPath(folder) + QLatin1Char('/');
    for (const char* prefix : system) {
        if (path.startsWith(QLatin1String(prefix))) return true;
    }
    return false;
}

QString ChooseSettingsFolder(const QString& programFolder, const QString& configFolder) {
    // The file is saved whole through a temporary file beside it, so the
    // folder itself must take new files; a writable VORKEL.INI is not enough.
    // A program installed for everyone keeps each user's settings apart, even
    // when run as root.
    if (!IsSystemProgramFolder(programFolder)) {
        QTemporaryFile probe(QDir(programFolder).filePath(QStringLiteral("VORKEL-XXXXXX.tmp")));
        if (probe.open()) return programFolder;
    }
    QDir().mkpath(configFolder);
    return configFolder;
}

} // namespace vorkel
