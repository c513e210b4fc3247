// The adapter's answers as arbitrary bytes, read by the program's real serial
// code: a pseudo-terminal stands in for the adapter and writes the next piece
// of the input (pieces are separated by NUL bytes) each time the program ends
// a request with CR. The first byte chooses the operation.
#include "app/form1.h"
#include "app/window_steps.h"
#include "cluster/cluster_functions.h"
#include "common/message_box.h"
#include "common/mscomm.h"
#include "common/pause.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "dtc/dtc_clear.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_list.h"
#include "link/exchange.h"
#include "link/link_error.h"
#include "link/serial_port.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace {

struct Rig {
    std::unique_ptr<QApplication> app;
    std::unique_ptr<vorkel::Form1> form;
    QTemporaryDir ports;
    int master = -1;
    int slave = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    QList<QByteArray> pieces;
    // Short bounds: every input that leaves a wait open costs its bound.
    vorkel::ScopedLinkLimits limits{{20, 200, 300, 20}};
};

Rig* rig = nullptr;

void OnHostBytes() {
    char buffer[512];
    const ssize_t n = ::read(rig->master, buffer, sizeof buffer);
    if (n <= 0) return;
    if (QByteArray(buffer, n).contains('\r') && !rig->pieces.isEmpty()) {
        const QByteArray piece = rig->pieces.takeFirst();
        [[maybe_unused]] const ssize_t w =
            ::write(rig->master, piece.constData(), static_cast<size_t>(piece.size()));
    }
}

void Setup() {
    static int argc = 1;
    static char name[] = "fuzz_exchange";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    rig = new Rig;
    rig->app = std::make_unique<QApplication>(argc, argv);
    vorkel::SetMessageHandler([](const vorkel::Message&) {});
    vorkel::SetPausesSkipped(true);
    rig->master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(rig->master);
    unlockpt(rig->master);
    const QString slavePath = QString::fromLocal8Bit(ptsname(rig->master));
    rig->slave = ::open(ptsname(rig->master), O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(rig->slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(rig->slave, TCSANOW, &raw);
    fcntl(rig->master, F_SETFL, fcntl(rig->master, F_GETFL) | O_NONBLOCK);
    rig->notifier = std::make_unique<QSocketNotifier>(rig->master, QSocketNotifier::Read);
    QObject::connect(rig->notifier.get(), &QSocketNotifier::activated, &OnHostBytes);
    QFile::link(slavePath, QDir(rig->ports.path()).filePath(QStringLiteral("COM9")));
    vorkel::SetPortsFolder(rig->ports.path());
    vorkel::CommPortNumber = 9;
    vorkel::CommSpeed = QStringLiteral("38400");
    rig->form = std::make_unique<vorkel::Form1>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!rig) Setup();
    if (size == 0) return 0;
    vorkel::Form1Controls& ui = rig->form->controls();
    if (!ui.MSComm1->PortOpen()) vorkel::OpenComPort(*ui.MSComm1);
    vorkel::AdapterState = vorkel::AdapterInitialised;
    rig->pieces =
        QByteArray(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1))
            .split('\0');
    static const char* const captions[] = {"0", "1", "3", "20"};
    ui.DTC_label->setText(QLatin1String(captions[(data[0] >> 4) & 3]));
    try {
        switch (data[0] & 3) {
        case 0:
            vorkel::IdentifyCluster(ui);
            break;
        case 1:
            vorkel::ReadDtcCount(ui);
            break;
        case 2:
            vorkel::ReadDtcList(ui);
            break;
        case 3:
            vorkel::ClearDtcCodes(ui);
            break;
        }
    } catch (const vorkel::LinkError&) {
    }
    if (vorkel::DtcCount < 0 || vorkel::DtcCount > 255) __builtin_trap();
    return 0;
}
