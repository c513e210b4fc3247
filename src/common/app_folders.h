#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files: beside itself, as it always has, and in
// the user's configuration folder when it is installed where it cannot write.
namespace vorkel {

// ~/.config/VORKEL (the platform's user configuration folder).
QString UserConfigFolder();

// The folder for VORKEL.INI: programFolder when the file can be written there,
// else configFolder.
QString ChooseSettingsFolder(const QString& programFolder, const QString& configFolder);

} // namespace vorkel
