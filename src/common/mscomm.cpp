#include "common/mscomm.h"

#include "common/adapter_log.h"
#include "common/bluetooth.h"
#include "common/network_address.h"
#include "common/pause.h"
#include "common/port_device.h"
#include "common/wait_steps.h"

#include <QEventLoop>

#include <QStringList>
#include <algorithm>

namespace vorkel {

namespace {

// How often an open device is looked for: a device that went away is
// noticed well within a second.
constexpr int PresenceCheckMs = 250;
// How long a network adapter may take to accept the connection.
constexpr int NetworkConnectMs = 5000;

} // namespace

bool ParseLineSettings(const QString& text, LineSettings& out) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return false;
    bool ok = false;
    const qint64 baud = parts[0].trimmed().toLongLong(&ok);
    if (!ok || baud < 50 || baud > 4000000) return false;
    out.baud = static_cast<qint32>(baud);
    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        out.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        out.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        out.parity = QSerialPort::OddParity;
    else
        return false;
    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8) return false;
    out.dataBits = static_cast<QSerialPort::DataBits>(bits);
    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        out.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("2"))
        out.stopBits = QSerialPort::TwoStop;
    else
        return false;
    return true;
}

MSComm::MSComm(QObject* parent) : QObject(parent) {
    connect(&m_port, &QSerialPort::errorOccurred, this, &MSComm::onError);
    connect(&m_port, &QSerialPort::readyRead, this, &MSComm::logArrivals);
    connect(&m_socket, &QTcpSocket::readyRead, this, &MSComm::logArrivals);
    // The adapter's side closing, or the network failing, under a connection made.
    connect(&m_socket, &QTcpSocket::disconnected, this,
            [this] { closeLost(QStringLiteral("the adapter closed the connection")); });
    // A read that finds nothing waiting is no loss (waitForReadyRead(0) reports it).
    connect(&m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) {
                if (error != QAbstractSocket::SocketTimeoutError &&
                    error != QAbstractSocket::TemporaryError)
                    closeLost(m_socket.errorString());
            });
    m_presence.setInterval(PresenceCheckMs);
    connect(&m_presence, &QTimer::timeout, this, &MSComm::checkPresence);
}

MSComm::~MSComm() {
    // The socket, going, would tell of its disconnection to members already gone.
    m_socket.disconnect(this);
}

void MSComm::takeWaiting() {
    // What the system holds but has not handed over yet is read once (not
    // until it stops: a babbling adapter never does), so it is logged before
    // it goes.
    channel().waitForReadyRead(0);
    logArrivals();
}

void MSComm::logArrivals() {
    // The chunk just delivered stands at the end of the read buffer.
    const qint64 available = channel().bytesAvailable();
    if (m_log && available > m_logged) m_log->Arrived(channel().peek(available).mid(m_logged));
    m_logged = available;
}

void MSComm::note(const QString& text) {
    if (m_log) m_log->Note(text);
}

bool MSComm::applySettings() {
    LineSettings line;
    if (!ParseLineSettings(m_settings, line)) {
        m_openError = tr("the speed \"%1\" cannot be used").arg(m_settings.section(',', 0, 0));
        return false;
    }
    m_port.setBaudRate(line.baud);
    m_port.setParity(line.parity);
    m_port.setDataBits(line.dataBits);
    m_port.setStopBits(line.stopBits);
    m_port.setFlowControl(m_handshaking == 2   ? QSerialPort::HardwareControl
                          : m_handshaking == 1 ? QSerialPort::SoftwareControl
                                               : QSerialPort::NoFlowControl);
    return true;
}

QIODevice& MSComm::channel() {
    if (IsBluetooth() && m_radio) return *m_radio;
    return IsNetwork() ? static_cast<QIODevice&>(m_socket) : m_port;
}

QString MSComm::LinkName() const {
    if (IsBluetooth()) return BluetoothAdapterText(m_bluetooth, m_bluetoothName);
    return IsNetwork() ? QStringLiteral("network adapter %1").arg(m_network) : QString();
}

bool MSComm::PortOpen() const {
    if (IsBluetooth()) return m_radio && m_radio->isOpen();
    return IsNetwork() ? m_networkUp && m_socket.state() == QAbstractSocket::ConnectedState
                       : m_port.isOpen();
}

void MSComm::closeChannel() {
    m_presence.stop();
    m_networkUp = false;
    m_port.close();
    // Not counted as lost: m_networkUp is down first.
    m_socket.abort();
    if (m_radio) {
        // Perhaps in the middle of its own signal: it goes once that has returned.
        m_radio->disconnect(this);
        m_radio->close();
        m_radio.release()->deleteLater();
    }
}

bool MSComm::setPortOpen(bool open) {
    if (!open) {
        if (PortOpen()) {
            // A loss found while taking the last bytes is this close: one reason, told once.
            m_closing = true;
            takeWaiting();
            m_closing = false;
            closeChannel();
            note(QStringLiteral("port closed"));
            m_closeReason = CloseReason::ByProgram;
            emit portClosed(m_closeReason);
        } else if (m_socket.state() != QAbstractSocket::UnconnectedState) {
            // A connection still being made ends its wait.
            m_openCancelled = true;
            m_socket.abort();
        } else if (m_radioCalling) {
            m_openCancelled = true;
            m_radioCancel = true;
        }
        return true;
    }
    if (PortOpen()) return true;
    m_openError.clear();
    m_openAdvice.clear();
    m_openErrorCode = QSerialPort::NoError;
    m_openCancelled = false;
    if (IsBluetooth()) return openBluetooth();
    if (IsNetwork()) return openNetwork();
    const PortDevice device = DeviceForPort(m_commPort);
    if (device.device.isEmpty()) {
        m_openError = tr("no device for COM%1").arg(m_commPort);
        m_openErrorCode = QSerialPort::DeviceNotFoundError;
        return false;
    }
    m_port.setPortName(device.device);
    if (!applySettings()) return false;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = m_port.errorString();
        m_openErrorCode = m_port.error();
        note(QStringLiteral("port COM%1 (%2) not opened: %3")
                 .arg(m_commPort)
                 .arg(device.shownName, m_openError));
        return false;
    }
    m_logged = 0;
    note(QStringLiteral("port COM%1 (%2) opened at %3")
             .arg(m_commPort)
             .arg(device.shownName, m_settings));
    // A pseudo-terminal has no modem lines; that is harmless.
    m_port.setDataTerminalReady(m_dtr);
    m_port.setRequestToSend(m_rts);
    m_port.clearError();
    m_closeReason = CloseReason::None;
    m_lostReason.clear();
    m_device = device.device;
    // Windows tells of a port that went away itself; a device file is looked for.
    if (HasFileChecks(m_device)) m_presence.start();
    return true;
}

bool MSComm::openNetwork() {
    const std::optional<vorkel::NetworkAddress> address = ParseNetworkAddress(m_network);
    if (!address) {
        m_openError = tr("\"%1\" is not a network address (HOST:PORT)").arg(m_network);
        return false;
    }
    // Connected asynchronously: the window stays live for the few seconds a
    // far access point may take, and the bound ends the wait.
    m_socket.abort();
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    connect(&m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::stateChanged, &loop,
            [&loop](QAbstractSocket::SocketState state) {
                if (state == QAbstractSocket::UnconnectedState) loop.quit();
            });
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(Scaled(NetworkConnectMs));
    TellWaiting(QLatin1String(StepCalling), Scaled(NetworkConnectMs));
    m_socket.connectToHost(address->host, address->port);
    if (m_socket.state() != QAbstractSocket::ConnectedState &&
        m_socket.state() != QAbstractSocket::UnconnectedState)
        loop.exec();
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        const bool timedOut = m_socket.state() != QAbstractSocket::UnconnectedState;
        m_openError = timedOut ? tr("no connection within %1 s").arg(NetworkConnectMs / 1000)
                               : m_socket.errorString();
        const QSignalBlocker quiet(m_socket);
        m_socket.abort();
        note(QStringLiteral("network adapter %1 not reached: %2").arg(m_network, m_openError));
        return false;
    }
    m_logged = 0;
    m_networkUp = true;
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    note(QStringLiteral("network adapter %1 connected").arg(m_network));
    m_closeReason = CloseReason::None;
    m_lostReason.clear();
    return true;
}

bool MSComm::openBluetooth() {
    m_radioCalling = true;
    m_radioCancel = false;
    TellWaiting(QLatin1String(StepCalling), Scaled(BluetoothConnectMs));
    BluetoothConnection made =
        ConnectBluetooth(m_bluetooth, Scaled(BluetoothConnectMs), m_radioCancel);
    m_radioCalling = false;
    if (!made.name.isEmpty()) m_bluetoothName = made.name;
    if (!made.channel) {
        m_openCancelled = made.cancelled;
        m_openError = made.failure;
        m_openAdvice = made.advice;
        note(QStringLiteral("%1 not reached: %2")
                 .arg(LinkName(), made.cancelled ? QStringLiteral("cancelled") : m_openError));
        return false;
    }
    m_radio = std::move(made.channel);
    connect(m_radio.get(), &QIODevice::readyRead, this, &MSComm::logArrivals);
    connect(m_radio.get(), &QIODevice::readChannelFinished, this,
            [this] { closeLost(QStringLiteral("the Bluetooth link closed")); });
    m_logged = 0;
    note(QStringLiteral("%1 connected").arg(LinkName()));
    m_closeReason = CloseReason::None;
    m_lostReason.clear();
    return true;
}

bool MSComm::Output(const QByteArray& bytes) {
    if (!PortOpen()) return false;
    if (m_log) m_log->Wrote(bytes);
    if (channel().write(bytes) != bytes.size()) return false;
    if (IsSerial()) m_port.flush();
    return true;
}

QString MSComm::Input() {
    if (!PortOpen()) return {};
    const qint64 length = m_inputLen > 0 ? m_inputLen : channel().bytesAvailable();
    const QByteArray read = channel().read(length);
    m_logged = std::max<qint64>(0, m_logged - read.size());
    return QString::fromLatin1(read);
}

void MSComm::DiscardInput() {
    // What the system has received but Qt has not read yet goes as well,
    // logged first: every byte that came in is in the log.
    if (PortOpen()) {
        takeWaiting();
        channel().readAll();
        m_logged = 0;
    }
}

void MSComm::onError(QSerialPort::SerialPortError error) {
    // A device that went away makes QSerialPort report read errors endlessly
    // while it stays open; close on the first so the waits learn of it once.
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
        error == QSerialPort::WriteError)
        closeLost(m_port.errorString());
}

void MSComm::checkPresence() {
    // A device unplugged under an open port (a pseudo-terminal whose other
    // end closed, alike) is hung up: reads find the end of the file. Some Qt
    // releases report that as a read error, others take it silently and
    // report only a later write; its device file goes in every case.
    if (!DevicePresent(m_device)) closeLost(QStringLiteral("the device %1 is gone").arg(m_device));
}

void MSComm::closeLost(const QString& reason) {
    const bool open = IsBluetooth() ? m_radio != nullptr
                      : IsNetwork() ? m_networkUp
                                    : m_port.isOpen();
    if (m_closing || !open) return;
    m_lostReason = reason;
    logArrivals();
    closeChannel();
    note(QStringLiteral("port lost: %1").arg(m_lostReason));
    m_closeReason = CloseReason::Lost;
    emit portClosed(m_closeReason);
}

} // namespace vorkel
