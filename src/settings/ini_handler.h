#pragma once

// Loading and saving VORKEL.INI (path in IniFilePath) into CommPortNumber and
// CommSpeed; both show the settings in panel 2 of the given status bar.
namespace vorkel {

class StatusBar;

// A missing or unacceptable file is replaced by the default file and the
// defaults (COM1, 9600) are taken. A file that cannot be written is reported.
void LoadSettings(StatusBar* statusBar);

// Rewrites the file from the values in memory; a failure is reported and the
// values in memory stay as they are. Returns false on failure.
bool SaveSettings(StatusBar* statusBar);

} // namespace vorkel
