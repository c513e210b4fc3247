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
#include "settings/setup_form.h"

#include <QDateTime>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QSysInfo>

namespace vorkel {

void Setup_Form::MakeCheckButton() {
    CheckAdapter =
        MakeButton(this, "CheckAdapter", "C&heck Adapter", TwipsRect(120, 2985, 1575, 375));
    CheckAdapter->setToolTip(
        QStringLiteral("Ask the adapter chosen here what it can do (reset, identity, supply "
                       "voltage, every set-up command, one read of the cluster), without saving "
                       "anything"));
    connect(CheckAdapter, &QPushButton::clicked, this, &Setup_Form::CheckAdapter_Click);
    setTabOrder(NetworkPort_Number, CheckAdapter);
}

void Setup_Form::CheckAdapter_Click() {
    if (m_cancelCheck) return; // one check at a time
    const std::optional<QString> network = ChosenNetwork();
    if (!network) return;
    const std::int16_t port = ChosenPort();
    const QString speed = ChosenSpeed();

    CheckResult result;
    result.network = !network->isEmpty();
    result.speed = speed.toInt();
    result.where = result.network ? *network
                                  : QStringLiteral("COM%1 (%2) at %3 baud")
                                        .arg(port)
                                        .arg(DeviceForPort(port).shownName, speed);
    result.mainWasConnected = m_mainWasConnected;

    MSComm comm;
    ConfigurePort(comm, port, speed, *network);
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
    window->show();
    SaveConfig->setEnabled(false);
    SetupCancel->setEnabled(false);

    // The port test first, as Connect does: only whether a serial line is there.
    const PortProbe probe = result.network ? PortProbe{} : FindComPort(port);
    if (probe.problem != PortProblem::None)
        result.notOpened = DescribePortProblem(port, probe);
    else
        RunAdapterCheck(comm, result, [&window, &result] {
            if (window) window->ShowSteps(result);
        });
    if (comm.Log()) comm.Log()->Note(QStringLiteral("check: ") + CheckVerdict(result));

    m_cancelCheck = nullptr;
    SaveConfig->setEnabled(true);
    SetupCancel->setEnabled(true);
    if (window) window->Finished(result);
}

} // namespace vorkel
