#pragma once

// Loading and saving VORKEL.INI (path in IniFilePath) into CommPortNumber and
// CommSpeed; both show the settings in panel 2 of the given status bar.
#include <QString>

namespace vorkel {

class StatusBar;

// A missing or unacceptable file is replaced by the default file and the
// defaults (COM1, 9600) are taken. A file that cannot be written is reported.
// When there is no file at IniFilePath but one at otherPath (the folder the
// program did not choose this time), that one is read and nothing is written:
// the next Save writes IniFilePath, and nothing the user set is dropped.
void LoadSettings(StatusBar* statusBar, const QString& otherPath = {});

// The port that LoadSettings would take in a fresh run (COM1 for a missing or
// unacceptable file), without writing anything: for scripts that start the
// simulator on the program's port.
int PortFromSettingsFile(const QString& path, const QString& otherPath = {});
// Panel 2 for the settings in memory: the COM port and speed, the WiFi
// adapter, or the Bluetooth adapter by its name.
QString CurrentSettingsText();

// The same for the WiFi adapter ("HOST:PORT", empty for none).
QString NetworkFromSettingsFile(const QString& path, const QString& otherPath = {});

// Rewrites the file from the values in memory; a failure is reported and the
// values in memory stay as they are. Returns false on failure.
bool SaveSettings(StatusBar* statusBar);

// A speed the user took in one click: this run uses it, and the file changes
// in that line alone, keeping what the user saved (a WiFi or Bluetooth adapter
// included, also when this run was given another port).
bool SaveSpeed(StatusBar* statusBar, const QString& speed);

} // namespace vorkel
