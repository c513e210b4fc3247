#pragma once

// Loading and saving VORKEL.INI (path in IniFilePath) into CommPortNumber and
// CommSpeed; both show the settings in panel 2 of the given status bar.
#include <QString>

namespace vorkel {

class StatusBar;

// A missing or unacceptable file is replaced by the default file and the
// defaults (COM1, 9600) are taken. A file that cannot be written is reported.
void LoadSettings(StatusBar* statusBar);

// The port that LoadSettings would take from the file at path in a fresh run
// (COM1 for a missing or unacceptable file), without writing anything: for
// scripts that start the simulator on the program's port.
int PortFromSettingsFile(const QString& path);

// Rewrites the file from the values in memory; a failure is reported and the
// values in memory stay as they are. Returns false on failure.
bool SaveSettings(StatusBar* statusBar);

} // namespace vorkel
