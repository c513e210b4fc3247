#include "support/link_rig.h"
#include "app/window_steps.h"

#include "common/shared_state.h"
#include "connection/adapter_connection.h"
#include "link/exchange.h"
#include "link/serial_port.h"

LinkRig::LinkRig()
    : Connect_Command(new QPushButton(QStringLiteral("Connect"), &root)),
      Command1(new QPushButton(QStringLiteral("View DTC"), &root)),
      DTC_Clear_Button(new QPushButton(QStringLiteral("Clear DTC"), &root)),
      DTC_List(new QListWidget(&root)), DTC_label(new vorkel::ValueLabel({}, &root)),
      Part_Label(new vorkel::ValueLabel({}, &root)),
      ClusterInfotext(new vorkel::ValueLabel({}, &root)),
      StatusBar1(new vorkel::StatusBar(87, &root)), Timer1(new QTimer(&root)),
      MSComm1(new vorkel::MSComm(&root)) {
    m_controls = {Connect_Command, Command1,        DTC_Clear_Button, DTC_List, DTC_label,
                  Part_Label,      ClusterInfotext, StatusBar1,       Timer1,   MSComm1};
    Timer1->setTimerType(Qt::PreciseTimer);
    QObject::connect(Timer1, &QTimer::timeout, Timer1, [this] {
        Timer1->stop();
        vorkel::AdapterState = vorkel::AdapterTimedOut;
    });
}

void OpenAndSetUp(vorkel::MSComm& comm) {
    vorkel::OpenComPort(comm);
    vorkel::Exchange exchange(comm);
    exchange.Send(QStringLiteral("atz"));
    exchange.WaitForBanner();
    vorkel::SendSetUpCommands(exchange);
}
