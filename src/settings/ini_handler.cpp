#include "settings/ini_handler.h"

#include "common/message_box.h"
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
        if (file.commit()) return true;
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

} // namespace

void LoadSettings(StatusBar* statusBar) {
    QFile file(IniFilePath);
    std::optional<SettingsRead> read;
    if (file.open(QIODevice::ReadOnly)) {
        read = ParseSettingsFile(file.readAll());
        file.close();
    }
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

int PortFromSettingsFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    const std::optional<SettingsRead> read = ParseSettingsFile(file.readAll());
    if (!read) return 1;
    return read->port ? *read->port : 0;
}

bool SaveSettings(StatusBar* statusBar) {
    const bool saved = WriteSettingsFile(CommPortNumber, CommSpeed);
    ShowStatus(statusBar);
    return saved;
}

} // namespace vorkel
