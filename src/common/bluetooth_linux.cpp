// Bluetooth adapters through BlueZ's D-Bus API: the devices from the object
// manager, a client profile for the Serial Port service registered once for
// each run of the service, and ConnectProfile, whose socket arrives in the
// profile's NewConnection. The socket is the channel, as a serial line is.
#include "common/bluetooth.h"
#include "common/bluetooth_service.h"
#include "common/socket_channel.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMap>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace vorkel {
namespace {

const QString Bluez = QString::fromLatin1(BluezService);
const QString DeviceInterface = QStringLiteral("org.bluez.Device1");
const QString AdapterInterface = QStringLiteral("org.bluez.Adapter1");
const QString ProfilePath = QStringLiteral("/au/vorkel/serial_port");

bool OffersSerialPort(const QVariantMap& device) {
    const QStringList uuids = device.value(QStringLiteral("UUIDs")).toStringList();
    return std::any_of(uuids.begin(), uuids.end(), [](const QString& uuid) {
        return uuid.compare(QLatin1String(SerialPortServiceUuid), Qt::CaseInsensitive) == 0;
    });
}

QString NameOf(const QVariantMap& device) {
    for (const char* key : {"Alias", "Name", "Address"}) {
        const QString name = device.value(QLatin1String(key)).toString();
        if (!name.isEmpty()) return name;
    }
    return {};
}

// Where the service stands for one device, or for all of them.
struct Found {
    BluetoothState state = BluetoothState::NoService;
    QString devicePath; // the device's object, when it is paired
    QString name;
    QList<BluetoothDevice> devices;
};

// The names the service's answers gave, by address: shown without asking again.
QMap<QString, QString>& KnownNames() {
    static QMap<QString, QString> names;
    return names;
}

Found LookAt(const QString& address) {
    Found found;
    const Objects asked = BluezObjects();
    found.state = asked.state;
    if (asked.state != BluetoothState::Ready) return found;
    const ManagedObjects* objects = &asked.objects;
    found.state = BluetoothState::NoAdapter;
    bool powered = false;
    for (auto it = objects->begin(); it != objects->end(); ++it) {
        if (it.value().contains(AdapterInterface)) {
            if (found.state == BluetoothState::NoAdapter) found.state = BluetoothState::Off;
            powered = powered ||
                      it.value().value(AdapterInterface).value(QStringLiteral("Powered")).toBool();
        }
    }
    if (found.state == BluetoothState::NoAdapter) return found;
    if (!powered) return found;
    found.state = BluetoothState::NonePaired;
    for (auto it = objects->begin(); it != objects->end(); ++it) {
        const QVariantMap device = it.value().value(DeviceInterface);
        if (device.isEmpty() || !device.value(QStringLiteral("Paired")).toBool() ||
            !OffersSerialPort(device))
            continue;
        const QString deviceAddress = device.value(QStringLiteral("Address")).toString().toUpper();
        found.devices.append({deviceAddress, NameOf(device)});
        KnownNames().insert(deviceAddress, NameOf(device));
        if (deviceAddress == address) {
            found.devicePath = it.key().path();
            found.name = NameOf(device);
        }
    }
    if (!found.devices.isEmpty()) found.state = BluetoothState::Ready;
    std::sort(found.devices.begin(), found.devices.end(),
              [](const BluetoothDevice& a, const BluetoothDevice& b) {
                  return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
              });
    return found;
}

// Ends the device's serial-port link (a page still under way too). The
// service acts on the device, not on one program's link: called only for a
// link this program made.
void EndLink(const QString& devicePath) {
    QDBusMessage call = QDBusMessage::createMethodCall(Bluez, devicePath, DeviceInterface,
                                                       QStringLiteral("DisconnectProfile"));
    call << QString::fromLatin1(SerialPortServiceUuid);
    Bus().asyncCall(call);
}

// The socket of a link this program made: its close ends the link as well.
class RadioChannel : public SocketChannel {
  public:
    RadioChannel(int fd, QString devicePath) : SocketChannel(fd), m_device(std::move(devicePath)) {}
    ~RadioChannel() override { close(); }
    void close() override {
        if (!m_device.isEmpty()) EndLink(std::exchange(m_device, QString()));
        SocketChannel::close();
    }

  private:
    QString m_device;
};

} // namespace

// The client side of the Serial Port profile: BlueZ hands it the connected
// socket of each device it connects for us.
class SerialPortProfile : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.bluez.Profile1")
  public:
    // Registered with the service that runs now: again after it restarted.
    bool EnsureRegistered(QString& error) {
        const QDBusConnection bus = Bus();
        const QString owner = bus.interface()->serviceOwner(Bluez).value();
        if (!owner.isEmpty() && owner == m_registeredWith && bus.baseService() == m_registeredAs)
            return true;
        if (bus.objectRegisteredAt(ProfilePath) != this)
            Bus().registerObject(ProfilePath, this, QDBusConnection::ExportAllSlots);
        if (!m_quitWatched) {
            connect(qApp, &QCoreApplication::aboutToQuit, this, &SerialPortProfile::Unregister);
            m_quitWatched = true;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            Bluez, QStringLiteral("/org/bluez"), QStringLiteral("org.bluez.ProfileManager1"),
            QStringLiteral("RegisterProfile"));
        QVariantMap options{{QStringLiteral("Role"), QStringLiteral("client")},
                            {QStringLiteral("Name"), QStringLiteral("VORKEL serial port")}};
        call << QVariant::fromValue(QDBusObjectPath(ProfilePath))
             << QString::fromLatin1(SerialPortServiceUuid) << options;
        const QDBusMessage reply = AskService(call);
        if (reply.type() == QDBusMessage::ErrorMessage &&
            reply.errorName() != QLatin1String("org.bluez.Error.AlreadyExists")) {
            error = reply.errorMessage();
            return false;
        }
        m_registeredWith = owner;
        m_registeredAs = bus.baseService();
        return true;
    }

    // The device whose socket is awaited now; none: any that comes is late.
    void Await(const QString& devicePath) { m_awaited = devicePath; }
    // The socket for that device, once it has come.
    int TakeSocket(const QString& devicePath) {
        return m_sockets.contains(devicePath) ? m_sockets.take(devicePath) : -1;
    }
    void Forget(const QString& devicePath) {
        if (const int fd = TakeSocket(devicePath); fd >= 0) ::close(fd);
    }
    void setLateObserver(std::function<void()> observer) { m_late = std::move(observer); }

  signals:
    void socketArrived();

  public slots:
    void NewConnection(const QDBusObjectPath& device, const QDBusUnixFileDescriptor& fd,
                       const QVariantMap&) {
        if (device.path() != m_awaited) {
            // An attempt given up: the link is this program's, and nobody uses it.
            EndLink(device.path());
            if (m_late) m_late();
            return;
        }
        const int own = ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (own < 0) return;
        Forget(device.path());
        m_sockets.insert(device.path(), own);
        emit socketArrived();
    }
    void RequestDisconnection(const QDBusObjectPath& device) { Forget(device.path()); }
    void Release() { m_registeredWith.clear(); }

  private:
    void Unregister() {
        if (m_registeredWith.isEmpty()) return;
        QDBusMessage call = QDBusMessage::createMethodCall(
            Bluez, QStringLiteral("/org/bluez"), QStringLiteral("org.bluez.ProfileManager1"),
            QStringLiteral("UnregisterProfile"));
        call << QVariant::fromValue(QDBusObjectPath(ProfilePath));
        AskService(call);
        m_registeredWith.clear();
    }

    std::function<void()> m_late;
    QString m_awaited;
    bool m_quitWatched = false;
    QString m_registeredWith; // the service's unique name when the profile was registered
    QString m_registeredAs;   // ...and ours
    QMap<QString, int> m_sockets;
};

namespace {

// Registered once a run (and again after the service restarted).
SerialPortProfile& Profile() {
    static SerialPortProfile profile;
    return profile;
}

// A refusal of ConnectProfile in the user's words.
void DescribeRefusal(const QDBusMessage& reply, BluetoothConnection& result,
                     const QString& adapter) {
    const QString name = reply.errorName();
    if (name == QLatin1String("org.bluez.Error.NotReady")) {
        result.failure = QStringLiteral("Bluetooth is switched off.");
        result.advice = QStringLiteral("Switch it on in your desktop's Bluetooth settings, then "
                                       "press Connect.");
    } else if (name == QLatin1String("org.bluez.Error.NotAvailable") ||
               name == QLatin1String("org.bluez.Error.DoesNotExist")) {
        result.failure =
            QStringLiteral("The Bluetooth adapter %1 offers no serial port.").arg(adapter);
        result.advice = QStringLiteral("Choose the OBD-II adapter in Setup, then press Connect.");
    } else if (name == QLatin1String("org.bluez.Error.InProgress") ||
               name == QLatin1String("org.bluez.Error.AlreadyConnected")) {
        result.failure = QStringLiteral("The Bluetooth adapter %1 is being connected, or is "
                                        "connected, by another program.")
                             .arg(adapter);
        result.advice = QStringLiteral("Another program on this computer, or a phone app, may "
                                       "hold it: close that program (or switch the phone's "
                                       "Bluetooth off), then press Connect.");
    } else {
        // A page that found nobody, a device out of reach or without power.
        result.failure =
            QStringLiteral("The Bluetooth adapter %1 did not answer over the radio.").arg(adapter);
        result.advice = QStringLiteral("Is it in the car's socket with the ignition on, and "
                                       "within a few metres of this computer? Then press Connect "
                                       "again.\n(%1)")
                            .arg(reply.errorMessage().isEmpty() ? name : reply.errorMessage());
    }
}

} // namespace

bool BluetoothOffered() {
    return true;
}

BluetoothListing ListBluetoothAdapters() {
    const Found found = LookAt(QString());
    return {found.state, found.devices};
}

QString BluetoothDeviceName(const QString& address) {
    if (const QString known = KnownNames().value(address); !known.isEmpty()) return known;
    return LookAt(address).name;
}

BluetoothConnection ConnectBluetooth(const QString& address, int boundMs, const bool& cancel) {
    BluetoothConnection result;
    const Found found = LookAt(address);
    result.name = found.name;
    const QString adapter =
        found.name.isEmpty() ? address : QStringLiteral("%1 (%2)").arg(found.name, address);
    const auto says = [&result](const QString& failure, const QString& advice) {
        result.failure = failure;
        result.advice = advice;
        return std::move(result);
    };
    const auto givenUp = [&result] {
        result.cancelled = true;
        return std::move(result);
    };
    if (cancel) return givenUp();
    if (found.state == BluetoothState::Busy)
        return says(QStringLiteral("The Bluetooth service is still answering another question."),
                    QStringLiteral("Press Connect again in a moment."));
    if (found.state == BluetoothState::NotAnswering)
        return says(QStringLiteral("The Bluetooth service does not answer."),
                    QStringLiteral("Restart it (sudo systemctl restart bluetooth), then press "
                                   "Connect."));
    if (found.state == BluetoothState::NoService)
        return says(QStringLiteral("The Bluetooth service is not running on this computer."),
                    QStringLiteral("Start it (sudo systemctl start bluetooth), then press "
                                   "Connect."));
    if (found.state == BluetoothState::NoAdapter)
        return says(QStringLiteral("This computer has no Bluetooth adapter."),
                    QStringLiteral("Plug in a Bluetooth dongle, then press Connect."));
    if (found.state == BluetoothState::Off)
        return says(QStringLiteral("Bluetooth is switched off."),
                    QStringLiteral("Switch it on in your desktop's Bluetooth settings, then "
                                   "press Connect."));
    if (found.devicePath.isEmpty())
        return says(
            QStringLiteral("The Bluetooth adapter %1 is not paired with this computer.")
                .arg(address),
            QStringLiteral("Pair it in your desktop's Bluetooth settings (PIN 1234 or 0000), "
                           "choose it in Setup, then press Connect."));
    QString error;
    if (!Profile().EnsureRegistered(error))
        return says(QStringLiteral("The Bluetooth service refused VORKEL's serial port."), error);

    if (cancel) return givenUp();
    // The reply and the socket may come in either order; the socket decides.
    Profile().Forget(found.devicePath);
    Profile().Await(found.devicePath);
    const auto awaitNoMore = qScopeGuard([] { Profile().Await(QString()); });
    QDBusMessage call = QDBusMessage::createMethodCall(Bluez, found.devicePath, DeviceInterface,
                                                       QStringLiteral("ConnectProfile"));
    call << QString::fromLatin1(SerialPortServiceUuid);
    QDBusPendingCallWatcher watcher(Bus().asyncCall(call, boundMs));
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    // Looked at often: a cancel, and the bound (a coarse single shot may come early).
    QTimer look;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QObject::connect(&Profile(), &SerialPortProfile::socketArrived, &loop, &QEventLoop::quit);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (cancel || clock.elapsed() >= boundMs) loop.quit();
    });
    look.start(50);
    int fd = -1;
    for (;;) {
        fd = Profile().TakeSocket(found.devicePath);
        if (fd >= 0 || cancel || clock.elapsed() >= boundMs) break;
        if (watcher.isFinished() && watcher.isError() &&
            watcher.error().type() != QDBusError::NoReply)
            break;
        loop.exec();
    }
    if (fd >= 0) {
        result.channel = std::make_unique<RadioChannel>(fd, found.devicePath);
        return result;
    }
    // Refused: no link of ours exists, and the device's may be another program's.
    if (watcher.isFinished() && watcher.isError() &&
        watcher.error().type() != QDBusError::NoReply) {
        DescribeRefusal(watcher.reply(), result, adapter);
        return result;
    }
    // Our page given up: it stops; a socket that still comes is ended as late.
    EndLink(found.devicePath);
    if (cancel) return givenUp();
    return says(
        QStringLiteral("The Bluetooth adapter %1 did not answer over the radio.").arg(adapter),
        QStringLiteral("Is it in the car's socket with the ignition on, and within a few metres "
                       "of this computer? Then press Connect again."));
}

void SetLateBluetoothObserver(std::function<void()> observer) {
    Profile().setLateObserver(std::move(observer));
}

} // namespace vorkel

#include "bluetooth_linux.moc"
