// Setup's Check Adapter: what the adapter chosen in the dialog can do, before
// anyone blames the car. Nothing is saved; the port is opened once.
#include "common/adapter_log.h"
#include "common/controls.h"
#include "common/mscomm.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "connection/adapter_check.h"
#include "link/serial_port.h"
#include "settings/check_window.h"
#include "settings/ini_handler.h"
#include "settings/setup_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QSysInfo>

namespace vorkel {

void Setup_Form::MakeCheckButton() {
    CheckAdapter =
        MakeButton(this, "CheckAdapter", "C&heck Adapter", TwipsRect(120, 2985, 1575, 375));
    CheckAdapter->setToolTip(
        QStringLiteral("Ask the adapter chosen here what it can do, without saving anything: "
                       "its reset, name and supply voltage, each set-up command Connect sends "
                       "(stopping at the first that fails) and one read of the cluster. It "
                       "opens the port once, or makes one TCP connection to a WiFi adapter."));
    connect(CheckAdapter, &QPushButton::clicked, this, &Setup_Form::CheckAdapter_Click);
    setTabOrder(Bluetooth_List ? static_cast<QWidget*>(Bluetooth_List) : NetworkPort_Number,
                CheckAdapter);
}

void Setup_Form::CheckAdapter_Click() {
    if (m_cancelCheck) return; // one check at a time
    const std::optional<QString> network = ChosenNetwork();
    if (!network) return;
    const std::optional<QString> bluetooth = ChosenBluetooth();
    if (!bluetooth) return;
    const std::int16_t port = ChosenPort();
    const QString speed = ChosenSpeed();
    // A Connect still waiting for its reset ends first: nothing else talks to
    // an adapter while the check runs, and its time-out goes with it.
    ReleaseMainPort();

    MSComm comm;
    ConfigurePort(comm, port, speed, *network, *bluetooth);
    CheckResult result;
    result.link = comm.Kind();
    result.port = port;
    result.speed = speed.toInt();
    result.where = comm.IsSerial() ? PortAndSpeedText(port, speed) : comm.LinkName();
    result.mainWasConnected = m_mainWasConnected;
    if (AdapterLog* log = m_mainPort ? m_mainPort->Log() : nullptr) {
        log->StartSession(
            {QStringLiteral("check: Check Adapter"),
             QStringLiteral("started: ") + QDateTime::currentDateTime().toString(Qt::ISODate),
             QStringLiteral("system: ") + QSysInfo::prettyProductName(),
             QStringLiteral("port: ") + result.where});
        comm.setLog(log);
    }

    QPointer<CheckWindow> window = new CheckWindow(this);
    m_cancelCheck = [&comm] { comm.setPortOpen(false); };
    window->setCancel(m_cancelCheck);
    window->setUseSpeed([this, port](int found) { UseFoundSpeed(port, found); });
    window->show();
    SaveConfig->setEnabled(false);
    SetupCancel->setEnabled(false);

    // The port test first, as Connect does: only whether a serial line is there.
    const PortProbe probe = comm.IsSerial() ? FindComPort(port) : PortProbe{};
    if (probe.problem != PortProblem::None) {
        result.notOpened = DescribePortProblem(port, probe);
    } else {
        CheckProgress progress;
        progress.waiting = [&window](const QString& what) {
            if (window) window->ShowWaiting(what);
        };
        progress.stepDone = [&window, &result] {
            if (window) window->ShowSteps(result);
        };
        RunAdapterCheck(comm, result, progress);
    }
    if (comm.Log()) comm.Log()->Note(QStringLiteral("check: ") + CheckVerdict(result));

    m_cancelCheck = nullptr;
    SaveConfig->setEnabled(true);
    SetupCancel->setEnabled(true);
    if (window) window->Finished(result);
}

void Setup_Form::UseFoundSpeed(std::int16_t port, int speed) {
    // As Save would: this port at that speed, the COM port rather than a WiFi adapter.
    CommPortNumber = port;
    CommSpeed = QString::number(speed);
    NetworkAdapter.clear();
    BluetoothAdapter.clear();
    SaveSettings(m_mainStatusBar);
    // Setup then shows what was saved; a speed it does not list is selected nowhere.
    Network_Check->setChecked(false);
    if (Bluetooth_Check) Bluetooth_Check->setChecked(false);
    SelectPort(QStringLiteral("COM%1").arg(port));
    const QList<QListWidgetItem*> listed = Speed_List->findItems(CommSpeed, Qt::MatchExactly);
    Speed_List->setCurrentRow(listed.isEmpty() ? -1 : Speed_List->row(listed.first()));
}

} // namespace vorkel
