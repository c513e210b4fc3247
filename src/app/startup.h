#pragma once

#include <QString>

namespace vorkel {

class Form1;

// Prepares the main window: caption, settings file, status panels, the DTC
// buttons disabled, AdapterState not initialised; then shows it.
void Main(Form1& form);

// Where VORKEL.INI is kept (beside the program, or in the user's configuration
// folder), and the other of the two places, where an earlier run may have kept it.
struct SettingsFiles {
    QString chosen;
    QString other;
};
SettingsFiles FindSettingsFiles();

// The application-wide font: the platform's dialog font where it exists.
void SetDialogFont();

} // namespace vorkel
