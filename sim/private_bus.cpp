#include "private_bus.h"

#include <QFile>

namespace vorkelsim {

PrivateBus::PrivateBus() = default;

PrivateBus::~PrivateBus() {
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(2000)) m_daemon.kill();
        m_daemon.waitForFinished(2000);
    }
}

bool PrivateBus::Start(const QString& address) {
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no private folder for the bus");
        return false;
    }
    // A socket left by a bus that was killed is no bus.
    if (address.startsWith(QLatin1String("unix:path="))) QFile::remove(address.mid(10));
    // Anyone of this user may own any name and call anything: it is ours alone.
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return false;
    }
    file.write(QStringLiteral(
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig>\n"
                   "  <listen>%1</listen>\n"
                   "  <auth>EXTERNAL</auth>\n"
                   "  <policy context=\"default\">\n"
                   "    <allow user=\"*\"/>\n"
                   "    <allow own=\"*\"/>\n"
                   "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                   "    <allow eavesdrop=\"true\"/>\n"
                   "  </policy>\n"
                   "</busconfig>\n")
                   .arg(address.isEmpty() ? QStringLiteral("unix:dir=") + m_dir.path() : address)
                   .toUtf8());
    file.close();
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000)) {
        m_error = QStringLiteral("dbus-daemon did not start: %1").arg(m_daemon.errorString());
        return false;
    }
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty()) m_error = QStringLiteral("dbus-daemon named no address");
    return !m_address.isEmpty();
}

} // namespace vorkelsim
