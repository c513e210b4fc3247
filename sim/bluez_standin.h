#pragma once

#include "sim_options.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QPointer>
#include <optional>

namespace vorkelsim {

class PtyAdapter;

// The computer's Bluetooth service (BlueZ) as the program meets it over
// D-Bus, on a bus of our own: an adapter and a paired OBD-II adapter offering
// the Serial Port service, in the object manager's list; the profile manager;
// and the device's ConnectProfile, which hands one end of a socket pair to
// the program's profile (NewConnection) and the other to the simulated
// adapter. It also plays the service missing, Bluetooth off, no adapter, the
// device not paired, a device that never answers the page, a service that
// holds its name and answers nothing, and another program that holds the
// link or is making it. As the service does, it keeps its own copy of the
// socket it hands over until DisconnectProfile: a program that only closes
// its end leaves the link up, and the next ConnectProfile meets
// AlreadyConnected.
class BluezStandIn : public QDBusVirtualObject {
    Q_OBJECT
  public:
    // The adapter's line is played by line, which must outlive this.
    BluezStandIn(const QString& busAddress, const SimBluetooth& options, PtyAdapter* line);
    ~BluezStandIn() override;

    bool Start(); // on the bus, under the service's name (unless it plays it missing)
    QString ErrorString() const { return m_error; }
    void SetLine(PtyAdapter* line) { m_line = line; }
    SimBluetooth& Options() { return m_options; }
    // A ConnectProfile waits for an adapter that does not answer the page.
    bool Paging() const { return m_unanswered.has_value(); }
    int Listings() const { return m_listings; }       // GetManagedObjects calls answered
    int Held() const { return m_held; }               // questions a mute service left unanswered
    bool LinkUp() const { return m_kept >= 0; }       // a link handed over and not ended
    int Disconnects() const { return m_disconnects; } // DisconnectProfile calls

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    QString DevicePath() const;
    QDBusMessage ManagedObjects(const QDBusMessage& call) const;
    void ConnectProfile(const QDBusMessage& call);

    QString m_connectionName;
    QDBusConnection m_bus;
    SimBluetooth m_options;
    PtyAdapter* m_line;
    QString m_profilePath;                    // the program's profile, once registered
    QString m_profileOwner;                   // ...on its connection
    std::optional<QDBusMessage> m_unanswered; // a page nobody answers
    bool m_handingOver = false;               // NewConnection sent, not yet answered
    int m_kept = -1;                          // our copy of the socket handed over
    int m_disconnects = 0;
    int m_held = 0;
    int m_listings = 0;
    QString m_error;
};

} // namespace vorkelsim
