#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace vorkel {

class AdapterLog;

// How the adapter is reached: the words about a lost link depend on it.
enum class LinkKind { Serial, Wifi, Bluetooth };

// The serial communications control: a port chosen by number, configured by a
// settings text such as "9600,n,8,1", written without waiting and read one
// character at a time without waiting. With a network address set, the same
// channel is a TCP connection to a WiFi adapter instead; with a Bluetooth
// address, the socket the Bluetooth service hands over; the port number and
// settings then do not apply.
class MSComm : public QObject {
    Q_OBJECT
  public:
    enum class CloseReason { None, ByProgram, Lost };

    explicit MSComm(QObject* parent = nullptr);
    ~MSComm() override;

    void setCommPort(int portNumber) { m_commPort = portNumber; }
    int CommPort() const { return m_commPort; }
    void setSettings(const QString& settings) { m_settings = settings; }
    QString Settings() const { return m_settings; }
    void setInputLen(int length) { m_inputLen = length; }
    int InputLen() const { return m_inputLen; }
    void setHandshaking(int mode) { m_handshaking = mode; }
    void setDTREnable(bool on) { m_dtr = on; }
    void setRTSEnable(bool on) { m_rts = on; }
    // Event thresholds: no event of the control is handled, so they are only kept.
    void setRThreshold(int value) { m_rThreshold = value; }
    void setSThreshold(int value) { m_sThreshold = value; }

    // "HOST:PORT" of a network adapter; empty for the COM port.
    void setNetworkAddress(const QString& address) { m_network = address; }
    QString NetworkAddress() const { return m_network; }
    bool IsNetwork() const { return !m_network.isEmpty() && !IsBluetooth(); }
    // "00:1D:A5:68:98:8B" of a Bluetooth adapter; empty for none.
    void setBluetoothAddress(const QString& address) { m_bluetooth = address; }
    bool IsBluetooth() const { return !m_bluetooth.isEmpty(); }
    // A serial line, where the speed matters (not a WiFi or Bluetooth link).
    bool IsSerial() const { return !IsNetwork() && !IsBluetooth(); }
    LinkKind Kind() const {
        return IsBluetooth() ? LinkKind::Bluetooth
               : IsNetwork() ? LinkKind::Wifi
                             : LinkKind::Serial;
    }
    // The adapter as the log, the status bar and the job card name it, when
    // it is not a COM port: "network adapter 192.168.0.10:35000",
    // "Bluetooth OBDII 00:1D:A5:68:98:8B".
    QString LinkName() const;
    // What a failed Bluetooth connection says, and what to do.
    QString OpenAdvice() const { return m_openAdvice; }
    // A network open ended by the program closing the port (Setup, Exit) while
    // the connection was being made: nothing to tell the user.
    bool OpenCancelled() const { return m_openCancelled; }

    // Opening applies the port number and settings, or connects to the
    // network address within 5 s while the event loop runs; false (and
    // OpenError) when it fails.
    bool setPortOpen(bool open);
    bool PortOpen() const;
    QString OpenError() const { return m_openError; }
    // The serial port's error for a failed open; NoError when the settings were refused.
    QSerialPort::SerialPortError OpenErrorCode() const { return m_openErrorCode; }

    // Changes the speed of the open port (looking for the adapter's own speed).
    bool ChangeSpeed(qint32 baud) {
        return IsSerial() && m_port.isOpen() && m_port.setBaudRate(baud);
    }

    // Queues the bytes for sending and returns at once.
    bool Output(const QByteArray& bytes);
    // At most InputLen characters that have arrived; empty when none has.
    QString Input();
    qint64 InBufferCount() const { return PortOpen() ? channel().bytesAvailable() : 0; }
    void DiscardInput();

    // Every byte written and every chunk that arrives, and the port opening
    // and closing, go to the log (none by default).
    void setLog(AdapterLog* log) { m_log = log; }
    AdapterLog* Log() const { return m_log; }

    // Why the port was last closed: by the program, or lost under it (unplugged).
    CloseReason LastCloseReason() const { return m_closeReason; }
    QString LostReason() const { return m_lostReason; }

  signals:
    void portClosed(vorkel::MSComm::CloseReason reason);

  private:
    void onError(QSerialPort::SerialPortError error);
    bool openNetwork();
    bool openBluetooth();
    void closeChannel();
    QIODevice& channel();
    const QIODevice& channel() const { return const_cast<MSComm*>(this)->channel(); }
    void checkPresence();
    void closeLost(const QString& reason);
    void logArrivals();
    void takeWaiting();
    void note(const QString& text);
    bool applySettings();

    QSerialPort m_port;
    QTcpSocket m_socket;
    QString m_network;
    bool m_openCancelled = false;
    bool m_networkUp = false; // connected, until closed or lost
    bool m_closing = false;   // the program is closing the port
    QString m_bluetooth;
    QString m_bluetoothName;            // as the service names it
    std::unique_ptr<QIODevice> m_radio; // the Bluetooth socket, while connected
    bool m_radioCalling = false;        // a Bluetooth connection is being made
    bool m_radioCancel = false;         // ...and is to end
    QString m_openAdvice;
    QString m_device; // the device opened, looked for while it is open
    QTimer m_presence;
    int m_commPort = 1;
    QString m_settings = QStringLiteral("9600,n,8,1");
    int m_inputLen = 0;
    int m_handshaking = 0;
    bool m_dtr = false;
    bool m_rts = false;
    int m_rThreshold = 0;
    int m_sThreshold = 0;
    QString m_openError;
    QSerialPort::SerialPortError m_openErrorCode = QSerialPort::NoError;
    CloseReason m_closeReason = CloseReason::None;
    QString m_lostReason;
    AdapterLog* m_log = nullptr;
    qint64 m_logged = 0; // bytes waiting in the read buffer that are already logged
};

// Splits "9600,n,8,1" into its parts; false for a text the port cannot use.
struct LineSettings {
    qint32 baud = 0;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
bool ParseLineSettings(const QString& text, LineSettings& out);

} // namespace vorkel
