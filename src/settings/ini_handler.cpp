#include "settings/ini_handler.h"

#include "common/message_box.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "settings/settings_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace vorkel {
namespace {

// Written whole or not at all: a crash or a full disk never leaves a truncated file.
bool WriteSettingsFile(std::int16_t port, const QString& speed) {
    QSaveFile file(IniFilePath);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(FormatSettingsFile(port, speed));
        if (file.commit()) {
            // Saved by root (sudo) in a user's folder: still the user's file.
            GiveToFolderOwner(IniFilePath);
            return true;
        }
    }
    Message message;
    message.title = QStringLiteral("ERROR!");
    message.text = QStringLiteral("The settings could not be saved.");
    message.informative =
        QStringLiteral("File: %1\nReason: %2\n\nThe program goes on with COM %3 / %4 "
                       "for this run.")
            .arg(QDir::toNativeSeparators(IniFilePath), file.errorString())
            .arg(port)
            .arg(speed);
    message.icon = MessageIcon::Warning;
    ShowMessage(message);
    return false;
}

void ShowStatus(StatusBar* statusBar) {
    if (statusBar) statusBar->setPanelText(2, SettingsStatusText(CommPortNumber, CommSpeed));
}

// The file at path, or the one at otherPath when path has none.
std::optional<SettingsRead> ReadSettingsFile(const QString& path, const QString& otherPath) {
    QFile file(QFile::exists(path) || otherPath.isEmpty() ? path : otherPath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return ParseSettingsFile(file.readAll());
}

} // namespace

void LoadSettings(StatusBar* statusBar, const QString& otherPath) {
    const std::optional<SettingsRead> read = ReadSettingsFile(IniFilePath, otherPath);
    if (read) {
        if (read->port) CommPortNumber = *read->port;
        if (read->speed) CommSpeed = *read->speed;
    } else {
        CommPortNumber = 1;
        CommSpeed = QStringLiteral("9600");
        WriteSettingsFile(CommPortNumber, CommSpeed);
    }
    ShowStatus(statusBar);
}

int PortFromSettingsFile(const QString& path, const QString& otherPath) {
    const std::optional<SettingsRead> read = ReadSettingsFile(path, otherPath);
    if (!read) return 1;
    return read->port ? *read->port : 0;
}

bool SaveSettings(StatusBar* statusBar) {
    const bool saved = WriteSettingsFile(CommPortNumber, CommSpeed);
    ShowStatus(statusBar);
    return saved;
}

} // namespace vorkel
