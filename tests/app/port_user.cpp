// A second program for the lock-file tests, run as its own process:
//   port_user connect PORTS_DIR N   connects to COMn and runs until a signal ends it
//   port_user probe PORTS_DIR N     prints what the port test says of COMn
//   port_user setup PORTS_DIR N     prints the Setup dialog's port entries and their tooltips
#include "app/form1.h"
#include "app/quit_signals.h"
#include "app/startup.h"
#include "common/message_box.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "link/serial_port.h"
#include "settings/setup_form.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 4) return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    vorkel::SetPortsFolder(QString::fromLocal8Bit(argv[2]));
    const auto port = static_cast<std::int16_t>(QByteArray(argv[3]).toInt());
    QApplication app(argc, argv);
    if (mode == QLatin1String("probe")) {
        const vorkel::PortProbe probe = vorkel::AssessComPort(port);
        std::puts(qPrintable(probe.problem == vorkel::PortProblem::None
                                 ? QStringLiteral("free")
                                 : vorkel::DescribePortProblem(port, probe)));
        return 0;
    }
    if (mode == QLatin1String("setup")) {
        vorkel::CommPortNumber = port;
        vorkel::Setup_Form setup(nullptr, nullptr);
        setup.Form_Activate();
        for (int i = 0; i < setup.CommPort_List->count(); ++i) {
            const QListWidgetItem* item = setup.CommPort_List->item(i);
            std::printf("%s|%d|%s\n", qPrintable(item->text()),
                        int(bool(item->flags() & Qt::ItemIsSelectable)),
                        qPrintable(item->toolTip().replace(QLatin1Char('\n'), QLatin1Char(' '))));
        }
        return 0;
    }
    vorkel::SetMessageHandler([](const vorkel::Message& message) {
        std::fprintf(stderr, "message: %s\n", qPrintable(message.text));
    });
    vorkel::Form1 form;
    vorkel::Main(form);
    vorkel::EndOnQuitSignals(form);
    vorkel::CommPortNumber = port;
    vorkel::CommSpeed = QStringLiteral("38400");
    form.Connect_Command->click();
    std::puts(qPrintable(form.StatusBar1->panelText(3)));
    std::fflush(stdout);
    return QApplication::exec();
}
