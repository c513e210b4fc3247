#pragma once

#include "bluez_standin.h"
#include "pty_adapter.h"

#include <QTemporaryDir>
#include <memory>

// A simulated adapter reachable by the program as COM<port>, through a link in
// a temporary ports folder that the program is told to use.
class SimFixture {
  public:
    explicit SimFixture(const vorkelsim::SimOptions& options = {}, int comPort = 7);
    ~SimFixture();

    vorkelsim::PtyAdapter& sim() { return *m_sim; }
    int comPort() const { return m_comPort; }
    QString portsDir() const { return m_dir.path(); }
    // A fresh adapter on the same COM number (after an unplug, or to change faults).
    void replace(const vorkelsim::SimOptions& options);
    // The same adapter as a WiFi one, on 127.0.0.1 from now on (replacements
    // too); its address, for the program's network adapter.
    QString useTcp();
    // The same adapter as a paired Bluetooth one (its options' bluetooth
    // part), behind a stand-in of the Bluetooth service on the test's own bus
    // (DBUS_SYSTEM_BUS_ADDRESS); its address, for the program's Bluetooth adapter.
    QString useBluetooth();
    // The Bluetooth stand-in holds a page that nobody answers.
    // The Bluetooth service's stand-in holds a page, or a question, unanswered.
    bool paging() const { return m_bluez && (m_bluez->Paging() || m_bluez->Held() > 0); }
    vorkelsim::BluezStandIn* bluez() const { return m_bluez.get(); }
    int serviceListings() const { return m_bluez ? m_bluez->Listings() : 0; }
    // Another adapter, also linked, as COM<port>.
    std::unique_ptr<vorkelsim::PtyAdapter> addPort(int comPort,
                                                   const vorkelsim::SimOptions& options = {});

    // Every COM number but these gets a link to nothing, so the machine's own
    // serial devices do not show up in the tests' port lists.
    void hideOtherPorts(const QList<int>& simulated) const;

    // The commands the program sent, in order, without their line ends.
    QStringList commands() const { return m_sim->ReceivedCommands(); }

  private:
    void StartBluetooth();

    QTemporaryDir m_dir;
    int m_comPort;
    std::unique_ptr<vorkelsim::PtyAdapter> m_sim;
    std::unique_ptr<vorkelsim::BluezStandIn> m_bluez; // goes before the line it hands over
    quint16 m_tcpPort = 0;
};

// Simulator options from vorkel-sim's own arguments, with no reset delay
// unless --reset-delay or a personality is given.
vorkelsim::SimOptions SimFromArguments(const QStringList& arguments);

// The twenty description lines the program knows, in the order of its table.
QStringList KnownDescriptionLines();

// The options of a healthy genuine adapter (a byte during a request stops
// it, padding shown) with no reset delay.
vorkelsim::SimOptions FastAdapter();

// The program's settings in memory for COM<port> at 38400, and a clean run state.
void UseComPort(int port);
