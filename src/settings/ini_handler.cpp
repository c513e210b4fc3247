#include "settings/ini_handler.h"

#include "common/bluetooth.h"
#include "common/message_box.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "settings/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace vorkel {
namespace {

// Written whole or not at all: a crash or a full disk never leaves a truncated file.
bool WriteSettingsFile(std::int16_t port, const QString& speed, const QString& network,
                       const QString& bluetooth) {
    QSaveFile file(IniFilePath);
    const QByteArray text = FormatSettingsFile(port, speed, network, bluetooth);
    QString why;
    if (QFileInfo(IniFilePath).isSymLink()) {
        // Never through a link: one put beside the program would let a Save
        // by root (sudo) overwrite any file on the machine.
        why = QStringLiteral("it is a link, and VORKEL writes no file through a link (remove the "
                             "link)");
    } else if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why = file.errorString();
    } else if (file.write(text) != text.size()) {
        // Unbuffered, so a write cut short by a full disk is seen here: the
        // save file's own commit would not notice it.
        why = file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(errno);
        file.cancelWriting();
    } else if (!file.commit()) {
        why = file.errorString();
    } else {
        // Saved by root (sudo) in a user's folder: still the user's file.
        GiveToFolderOwner(IniFilePath);
        return true;
    }
    Message message;
    message.title = QStringLiteral("ERROR!");
    message.text = QStringLiteral("The settings could not be saved.");
    message.informative =
        QStringLiteral("File: %1\nReason: %2\n\nThe program goes on with COM %3 / %4 "
                       "for this run.")
            .arg(QDir::toNativeSeparators(IniFilePath), why)
            .arg(port)
            .arg(speed);
    message.icon = MessageIcon::Warning;
    ShowMessage(message);
    return false;
}

void ShowStatus(StatusBar* statusBar) {
    if (statusBar) statusBar->setPanelText(2, CurrentSettingsText());
}

// The file at path, or the one at otherPath when path has none. Only a
// regular file is read: opening a FIFO would wait for a writer for ever.
std::optional<SettingsRead> ReadSettingsFile(const QString& path, const QString& otherPath) {
    QFile file(QFile::exists(path) || otherPath.isEmpty() ? path : otherPath);
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    return ParseSettingsFile(file.readAll());
}

} // namespace

void LoadSettings(StatusBar* statusBar, const QString& otherPath) {
    const std::optional<SettingsRead> read = ReadSettingsFile(IniFilePath, otherPath);
    if (read) {
        if (read->port) CommPortNumber = *read->port;
        if (read->speed) CommSpeed = *read->speed;
        NetworkAdapter = read->network;
        BluetoothAdapter = read->bluetooth;
    } else {
        CommPortNumber = 1;
        CommSpeed = QStringLiteral("9600");
        NetworkAdapter.clear();
        BluetoothAdapter.clear();
        WriteSettingsFile(CommPortNumber, CommSpeed, NetworkAdapter, BluetoothAdapter);
    }
    ShowStatus(statusBar);
}

int PortFromSettingsFile(const QString& path, const QString& otherPath) {
    const std::optional<SettingsRead> read = ReadSettingsFile(path, otherPath);
    if (!read) return 1;
    return read->port ? *read->port : 0;
}

QString CurrentSettingsText() {
    const QString bluetooth =
        BluetoothAdapter.isEmpty()
            ? QString()
            : BluetoothAdapterText(BluetoothAdapter, BluetoothDeviceName(BluetoothAdapter));
    return SettingsStatusText(CommPortNumber, CommSpeed, NetworkAdapter, bluetooth);
}

QString NetworkFromSettingsFile(const QString& path, const QString& otherPath) {
    const std::optional<SettingsRead> read = ReadSettingsFile(path, otherPath);
    return read ? read->network : QString();
}

bool SaveSettings(StatusBar* statusBar) {
    const bool saved =
        WriteSettingsFile(CommPortNumber, CommSpeed, NetworkAdapter, BluetoothAdapter);
    ShowStatus(statusBar);
    return saved;
}

bool SaveSpeed(StatusBar* statusBar, const QString& speed) {
    CommSpeed = speed;
    // What the file holds may differ from this run's settings (--com, --network):
    // only the speed changes in it.
    const std::optional<SettingsRead> read = ReadSettingsFile(IniFilePath, QString());
    const bool saved =
        read ? WriteSettingsFile(read->port.value_or(CommPortNumber), speed, read->network,
                                 read->bluetooth)
             : WriteSettingsFile(CommPortNumber, speed, NetworkAdapter, BluetoothAdapter);
    ShowStatus(statusBar);
    return saved;
}

} // namespace vorkel
