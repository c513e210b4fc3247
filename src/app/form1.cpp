#include "app/form1.h"

#include "about/frm_about.h"
#include "app/window_steps.h"
#include "common/bluetooth.h"
#include "common/controls.h"
#include "common/dialog_font.h"
#include "common/list_placeholder.h"
#include "common/message_box.h"
#include "common/pause.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/twips.h"
#include "common/wait_steps.h"
#include "link/link_error.h"
#include "settings/setup_form.h"
#include "version.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTimer>

namespace vorkel {
namespace {

// The window's client area and the width of each status panel, in twips.
constexpr int Form1ClientWidth = 4200;
constexpr int Form1ClientHeight = 3660;
constexpr int StatusPanelWidth = 1300;

QFont CountLabelFont() {
    QFont font;
    font.setFamilies(DialogFontFamilies());
    font.setPointSizeF(9.75);
    font.setBold(true);
    return font;
}

} // namespace

QString WindowCaption(const QString& product, int major, int minor, int revision) {
    return QStringLiteral("%1 v%2.%3%4").arg(product).arg(major).arg(minor).arg(revision);
}

QString ProgramAndVersion() {
    return QStringLiteral("%1 %2.%3.%4")
        .arg(QLatin1String(ProductName))
        .arg(VersionMajor)
        .arg(VersionMinor)
        .arg(VersionRevision);
}

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    UseMessageBoxes();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(QIcon(QStringLiteral(":/vorkel.xpm")));
    BuildControls();

    connect(Connect_Command, &QPushButton::clicked, this, &Form1::Connect_Command_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(DTC_Clear_Button, &QPushButton::clicked, this, &Form1::DTC_Clear_Button_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(mnu_Setup, &QAction::triggered, this, &Form1::mnu_Setup_Click);
    connect(mnu_About, &QAction::triggered, this, &Form1::mnu_About_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(MSComm1, &MSComm::portClosed, this, &Form1::OnPortClosed);
    MSComm1->setLog(&m_log);
    SetMessageObserver([this](const Message& message) {
        m_log.Note(QStringLiteral("message: %1 | %2").arg(message.text, message.informative));
    });
    // A link handed over after its attempt was given up is ended, whatever runs.
    SetLateBluetoothObserver([this] {
        if (Admit(Input::LateBluetooth)) m_log.Note(QStringLiteral("late Bluetooth link ended"));
    });
    BuildWaitAndStop();
    Form_Load();
}

Form1::~Form1() {
    SetMessageObserver({});
    SetWaitObserver({});
    SetLateBluetoothObserver({});
    if (m_setup) delete m_setup.data();
    if (m_about) delete m_about.data();
}

void Form1::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    // In tab-index order, each container before what it holds.
    ClusterInfo = MakeFrame(client, "ClusterInfo", "Cluster Type", TwipsRect(120, 2640, 1575, 615));
    ClusterInfotext =
        MakeValueLabel(ClusterInfo, "ClusterInfotext", TwipsRect(120, 240, 1335, 255));
    StatusBar1 = new StatusBar(TwipsToPixels(StatusPanelWidth), client);
    Place(StatusBar1, "StatusBar1", TwipsRect(0, 3285, 4200, 375));
    StatusBar1->setAccessibleName(QStringLiteral("Status"));
    Command1 = MakeButton(client, "Command1", "View DTC", TwipsRect(1080, 2040, 965, 495));
    Connect_Command =
        MakeButton(client, "Connect_Command", "Connect", TwipsRect(60, 2040, 965, 495));
    Frame1 = MakeFrame(client, "Frame1", "DTC #", TwipsRect(3240, 2640, 855, 615));
    DTC_label = MakeValueLabel(Frame1, "DTC_label", TwipsRect(105, 240, 705, 315));
    Frame2 = MakeFrame(client, "Frame2", "DTC List", TwipsRect(120, 0, 3975, 1935));
    DTC_List = MakeList(Frame2, "DTC_List", TwipsRect(120, 240, 3735, 1620));
    Frame3 = MakeFrame(client, "Frame3", "Cluster Part #", TwipsRect(1680, 2640, 1575, 615));
    Part_Label = MakeValueLabel(Frame3, "Part_Label", TwipsRect(120, 240, 1335, 255));
    DTC_Clear_Button =
        MakeButton(client, "DTC_Clear_Button", "Clear DTC", TwipsRect(2100, 2040, 965, 495));
    Command2 = MakeButton(client, "Command2", "Exit", TwipsRect(3120, 2040, 965, 495));
    setTabOrder(Command1, Connect_Command);
    setTabOrder(Connect_Command, DTC_List);
    setTabOrder(DTC_List, DTC_Clear_Button);
    setTabOrder(DTC_Clear_Button, Command2);

    DTC_label->setAlignment(Qt::AlignCenter);
    DTC_label->setFont(CountLabelFont());

    menuBar()->setAccessibleName(QStringLiteral("Menu"));
    mnu_Setup = menuBar()->addAction(QStringLiteral("Setup"));
    mnu_Setup->setObjectName(QStringLiteral("mnu_Setup"));
    mnu_About = menuBar()->addAction(QStringLiteral("About"));
    mnu_About->setObjectName(QStringLiteral("mnu_About"));

    BuildListMenu();
    SetListPlaceholder(DTC_List, QStringLiteral("Not read yet"));
    MakeResizable(client, QSize(TwipsToPixels(Form1ClientWidth), TwipsToPixels(Form1ClientHeight)));

    // Interval 0 and not started: it never fires until the connection attempt arms it.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    MSComm1 = new MSComm(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
}

void Form1::StartLogSession() {
    QStringList header{QStringLiteral("program: ") + ProgramAndVersion(),
                       QStringLiteral("started: ") +
                           QDateTime::currentDateTime().toString(Qt::ISODate),
                       QStringLiteral("system: ") + QSysInfo::prettyProductName()};
    if (!BluetoothAdapter.isEmpty())
        header << QStringLiteral("port: ") +
                      BluetoothAdapterText(BluetoothAdapter, BluetoothDeviceName(BluetoothAdapter));
    else if (NetworkAdapter.isEmpty())
        header << QStringLiteral("port: COM%1 %2")
                      .arg(CommPortNumber)
                      .arg(DeviceForPort(CommPortNumber).shownName)
               << QStringLiteral("speed: ") + CommSpeed;
    else
        header << QStringLiteral("port: network adapter ") + NetworkAdapter;
    m_log.StartSession(header);
}

void Form1::Form_Load() {
    EnableCodeButtons(*this, false, DTC_Clear_Button->isEnabled());
}

void Form1::Connect_Command_Click() {
    if (!Admit(Input::ConnectButton)) return;
    // The caption is the connection switch, as the system has always had it:
    // only a completed identification makes it "Disconnect".
    if (Connect_Command->text() != QLatin1String("Connect")) {
        m_log.Note(QStringLiteral("Disconnect"));
        DisconnectSteps();
        return;
    }
    // The guard holds from here on: the log's header may ask the Bluetooth
    // service for the adapter's name, and the window stays live meanwhile.
    BeginOperation(Operation::Connect);
    const auto end = qScopeGuard([this] { EndOperation(); });
    StartLogSession();
    m_log.Note(QStringLiteral("Connect"));
    if (m_stopped) return; // stopped while the service was asked
    // A new connection: nothing on the window or the card is its yet.
    m_portOpened = false;
    m_read = {};
    m_listRead = false;
    m_countIsOld = false;
    m_cardIsThisConnections = false;
    ++m_connection;
    try {
        ConnectSteps();
    } catch (const LinkError& error) {
        Timer1->stop();
        const bool connected = AdapterState == AdapterInitialised;
        ReportFailure(error,
                      connected ? QStringLiteral("Reading the trouble codes")
                                : QStringLiteral("Connecting to the cluster"),
                      QString());
        // A failed attempt leaves the port closed, so the next Connect can succeed;
        // a failure after the connection was made keeps it when the link still works.
        if (!connected) DisconnectSteps();
    }
    RecordWhatIsShown();
}

void Form1::ConnectSteps() {
    ConnectAdapter(*this, [this] { m_portOpened = true; });
    // The port test failed (reported, nothing opened): nothing more is sent.
    if (AdapterState != AdapterInitialised) return;
    Pause(100);
    // The count is read a second time although the attempt just read it: the
    // system always has, and adapters and clusters are used to that rhythm.
    ReadDtcCount(*this);
    if (DTC_label->text() != QLatin1String("0")) {
        EnableCodeButtons(*this, true, true);
        DTC_List->clear();
        Pause(100);
        m_listing = true;
        ReadDtcList(*this);
    }
    m_listTaken = true; // the codes listed, or none to list
}

void Form1::ShowDisconnected() {
    NoteShownFacts();
    Connect_Command->setText(QStringLiteral("Connect"));
    StatusBar1->setPanelText(1, QString());
    ClusterInfotext->setText(QString());
    StatusBar1->setPanelText(3, QStringLiteral("Not Connected"));
    DTC_label->setText(QString());
    EnableCodeButtons(*this, false, false);
    NoteWhereFactsCameFrom();
}

void Form1::DisconnectSteps() {
    ShowDisconnected();
    MSComm1->setPortOpen(false);
}

void Form1::Command1_Click() {
    if (!Admit(Input::ViewButton)) return;
    m_log.Note(QStringLiteral("View DTC"));
    BeginOperation(Operation::View);
    const auto end = qScopeGuard([this] { EndOperation(); });
    const QStringList before = ListedLines();
    try {
        DTC_List->clear();
        ReadDtcList(*this);
        m_listTaken = true;
    } catch (const LinkError& error) {
        // Stopped: the codes shown before stay, and the words say they were not read again.
        if (m_stopped) {
            DTC_List->clear();
            DTC_List->addItems(before);
            facts.lines = before;
        }
        ReportFailure(error, QStringLiteral("Reading the trouble codes"),
                      m_stopped ? QStringLiteral("The list was not read again: the codes shown "
                                                 "are from before.")
                                : QString());
    }
    RecordWhatIsShown();
}

void Form1::DTC_Clear_Button_Click() {
    if (!Admit(Input::ClearButton)) return;
    m_log.Note(QStringLiteral("Clear DTC"));
    BeginOperation(Operation::Clear);
    const auto end = qScopeGuard([this] {
        EndOperation();
        // Exit came while the cluster was erasing: its answer has come.
        if (m_quitAfterAnswer) Quit();
    });
    bool erased = false;
    const QStringList before = ListedLines();
    const QString countBefore = DTC_label->text();
    EraseProgress& progress = m_erase;
    QString countAfter;
    try {
        EraseDtcCodes(*this, &progress);
        erased = progress.confirmed = true;
        RecordErase();
        if (!m_quitAfterAnswer) ShowCodesAfterClearing(*this, &countAfter);
        m_listTaken = true;
    } catch (const LinkError& error) {
        // Only a refusal (the cluster's, or the adapter's "?") says the codes
        // are still there; a request that went out unanswered may have erased them.
        const bool refused = error.failure() == LinkFailure::NegativeResponse ||
                             error.failure() == LinkFailure::Refused;
        ReportFailure(
            error, QStringLiteral("Clearing the trouble codes"),
            erased ? QStringLiteral("The codes were erased, but reading them back failed.")
            : progress.answerHeard
                ? QStringLiteral("Whether the codes were erased is not known: press View DTC to "
                                 "see what is left.")
            : refused || !progress.sent
                ? QStringLiteral("The codes were not erased.")
                : QStringLiteral("No confirmation came: press View DTC to see what is left."));
    }
    if (!countAfter.isEmpty()) {
        m_read.count = countAfter;
        m_countIsOld = false;
    }
    RecordWhatIsShown();
    if (erased && !countAfter.isEmpty() && !m_failure) SayClearOutcome(before, countBefore);
}

void Form1::Command2_Click() {
    if (Admit(Input::Exit)) Quit();
}

void Form1::Quit() {
    if (m_exiting) return;
    m_log.Note(QStringLiteral("Exit"));
    m_exiting = true;
    Timer1->stop();
    MSComm1->setPortOpen(false);
    if (m_setup) m_setup->close();
    if (m_about) m_about->close();
    hide();
    if (m_exitAction)
        m_exitAction();
    else
        QCoreApplication::quit();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (m_exiting || Admit(Input::CloseBox)) {
        Quit();
        event->accept();
    } else {
        event->ignore();
    }
}

void Form1::mnu_Setup_Click() {
    if (!Admit(Input::Setup)) return;
    m_log.Note(QStringLiteral("Setup"));
    if (!m_setup)
        m_setup = new Setup_Form(MSComm1, StatusBar1); // no owner; deletes itself on close
    m_setup->show();
    m_setup->raise();
    m_setup->activateWindow();
}

void Form1::mnu_About_Click() {
    if (!Admit(Input::About)) return;
    m_log.Note(QStringLiteral("About"));
    if (!m_about) m_about = new frmAbout(); // no owner; deletes itself on close
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

} // namespace vorkel
