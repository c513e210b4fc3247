#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files: beside itself, as it always has, and in
// the user's configuration folder when it is installed where it cannot write.
namespace vorkel {

// ~/.config/VORKEL (the platform's user configuration folder).
QString UserConfigFolder();

// A folder where installed programs live (/usr/bin, /opt/...): never a place
// for a user's settings.
bool IsSystemProgramFolder(const QString& folder);

// The folder for VORKEL.INI: programFolder when a new file can be created
// there and it is not a system folder, else configFolder.
QString ChooseSettingsFolder(const QString& programFolder, const QString& configFolder);

} // namespace vorkel
