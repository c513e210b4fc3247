#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vorkelsim {

// A D-Bus bus of our own (dbus-daemon with a configuration of its own, in a
// private folder), for the Bluetooth service's stand-in: the machine's system
// bus and its radio are never touched. Ends with the object.
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Within a few seconds, or not at all; at the address given
    // ("unix:path=..."), or at one of its own.
    bool Start(const QString& address = {});
    QString Address() const { return m_address; }
    QString ErrorString() const { return m_error; }

  private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_error;
};

} // namespace vorkelsim
