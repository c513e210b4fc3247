#include "settings/setup_form.h"

#include "common/controls.h"
#include "common/find_list_entry.h"
#include "common/message_box.h"
#include "common/mscomm.h"
#include "common/port_device.h"
#include "common/shared_state.h"
#include "common/twips.h"
#include "link/serial_port.h"
#include "link/speed_search.h"
#include "settings/ini_handler.h"
#include "settings/leading_number.h"

#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>

namespace vorkel {

Setup_Form::Setup_Form(MSComm* mainPort, StatusBar* mainStatusBar, QWidget* parent)
    : QDialog(parent), m_mainPort(mainPort), m_mainStatusBar(mainStatusBar) {
    UseMessageBoxes();
    PrepareDialog(this, "Setup_Form", 3570, 3480);
    setWindowTitle(QStringLiteral("Setup"));

    Frame1 = MakeFrame(this, "Frame1", "Comm Ports", TwipsRect(120, 120, 1575, 1215));
    CommPort_List = MakeList(Frame1, "CommPort_List", TwipsRect(120, 240, 1335, 840));
    SaveConfig = MakeButton(this, "SaveConfig", "Save", TwipsRect(960, 1440, 735, 375));
    SetupCancel = MakeButton(this, "SetupCancel", "Cancel", TwipsRect(1800, 1440, 735, 375));
    Frame2 = MakeFrame(this, "Frame2", "Comm Speed", TwipsRect(1800, 120, 1695, 1215));
    Speed_List = MakeList(Frame2, "Speed_List", TwipsRect(120, 240, 1455, 840));

    setTabOrder(CommPort_List, SaveConfig);
    setTabOrder(SaveConfig, SetupCancel);
    setTabOrder(SetupCancel, Speed_List);
    MakeNetworkControls();
    MakeBluetoothControls();
    MakeCheckButton();
    // The Bluetooth frame, where there is one, above the check's button.
    if (Frame4) {
        setFixedHeight(TwipsToPixels(4935));
        CheckAdapter->setGeometry(TwipsRect(120, 4440, 1575, 375));
    }

    connect(SaveConfig, &QPushButton::clicked, this, &Setup_Form::SaveConfig_Click);
    connect(SetupCancel, &QPushButton::clicked, this, &Setup_Form::SetupCancel_Click);
    connect(CommPort_List, &QListWidget::itemClicked, this, &Setup_Form::ExplainBlockedPort);
    connect(CommPort_List, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_filling) return;
        if (row < 0)
            m_chosenPort.clear();
        else if (CommPort_List->item(row)->flags() & Qt::ItemIsSelectable)
            m_chosenPort = CommPort_List->item(row)->text();
    });
}

bool Setup_Form::event(QEvent* event) {
    // Closing during a check cancels it; the dialog goes once it has ended.
    if (event->type() == QEvent::Close && m_cancelCheck) {
        m_cancelCheck();
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    // Enter presses the button that has the focus, as Space does. There is no
    // default button: Enter in a list saves nothing.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button && button->isEnabled() &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    return QDialog::event(event);
}

void Setup_Form::FillPortList() {
    // The ports that can be opened, in order; after them, greyed and not
    // selectable, the devices that are there but cannot be opened now, so a
    // user outside dialout sees the adapter and what to do.
    QList<QListWidgetItem*> blocked;
    for (int port = 1; port <= 255; ++port) {
        const PortProbe probe = AssessComPort(static_cast<std::int16_t>(port));
        if (probe.problem == PortProblem::None) {
            auto* item = new QListWidgetItem(QStringLiteral("COM%1").arg(port));
            item->setToolTip(DeviceForPort(port).shownName);
            CommPort_List->addItem(item);
            continue;
        }
        const char* shortReason = nullptr;
        switch (probe.problem) {
        case PortProblem::NoPermission:
            shortReason = "no access";
            break;
        case PortProblem::InUse:
            shortReason = "in use";
            break;
        case PortProblem::StaleLock:
            shortReason = "locked";
            break;
        case PortProblem::None:
        case PortProblem::NotFound:
        case PortProblem::NotSerial: // a link to anything else is no port at all
        case PortProblem::Other:
            break;
        }
        if (!shortReason) continue;
        // "(COM33 ...)": it does not begin with "COM", so selecting the port in
        // memory never lands on it.
        auto* item = new QListWidgetItem(
            QStringLiteral("(COM%1 %2)").arg(port).arg(QLatin1String(shortReason)));
        item->setFlags(Qt::ItemIsEnabled);
        item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        item->setToolTip(DescribePortProblem(static_cast<std::int16_t>(port), probe));
        blocked << item;
    }
    for (QListWidgetItem* item : blocked)
        CommPort_List->addItem(item);
}

void Setup_Form::ExplainBlockedPort(QListWidgetItem* item) {
    if (!item || (item->flags() & Qt::ItemIsSelectable)) return;
    Message message;
    message.title = QStringLiteral("Setup");
    message.text =
        QStringLiteral("%1 cannot be used now.").arg(item->text().mid(1).section(' ', 0, 0));
    message.informative = item->toolTip();
    message.icon = MessageIcon::Information;
    ShowMessage(message);
    // The click may have made the greyed entry current; the user's port stays chosen.
    SelectPort(m_chosenPort);
}

void Setup_Form::SelectPort(const QString& entry) {
    const int scrolled = CommPort_List->verticalScrollBar()->value();
    const QList<QListWidgetItem*> found = CommPort_List->findItems(entry, Qt::MatchExactly);
    CommPort_List->setCurrentRow(found.isEmpty() ? -1 : CommPort_List->row(found.first()));
    CommPort_List->verticalScrollBar()->setValue(scrolled);
}

void Setup_Form::ReleaseMainPort() {
    // A network adapter's connection still being made ends too.
    if (!m_mainPort) return;
    if (m_mainPort->PortOpen()) m_mainWasConnected = true;
    m_mainPort->setPortOpen(false);
}

void Setup_Form::Form_Activate() {
    // Asking the Bluetooth service keeps the window live: an activation that
    // comes meanwhile is this one.
    if (m_activating) return;
    const QScopedValueRollback activating(m_activating, true);
    // The program's own port is closed first, so that it is found free and listed.
    ReleaseMainPort();
    // Once open, the user's choice stands until Save or Cancel: coming back from
    // the check's window, a message box or the desktop's WiFi settings keeps it.
    // The port list is looked at again (a device plugged in meanwhile), on the
    // same port.
    const QString keptSpeed = m_filled ? SelectedEntry(Speed_List) : QString();
    m_filling = true;
    CommPort_List->clear();
    Speed_List->clear();
    FillPortList();
    for (const int speed : SetupSpeeds)
        Speed_List->addItem(QString::number(speed));
    m_filling = false;
    if (m_filled) {
        SelectPort(m_chosenPort);
        const QList<QListWidgetItem*> speed = Speed_List->findItems(keptSpeed, Qt::MatchExactly);
        Speed_List->setCurrentRow(speed.isEmpty() ? -1 : Speed_List->row(speed.first()));
        return;
    }
    const QString commPortName = QStringLiteral("COM%1").arg(CommPortNumber);
    CommPort_List->setCurrentRow(FindListEntry(commPortName, CommPort_List));
    Speed_List->setCurrentRow(FindListEntry(CommSpeed, Speed_List));
    ShowNetworkChoice();
    ShowBluetoothChoice();
    m_filled = true;
}

QString Setup_Form::SelectedEntry(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void Setup_Form::SaveConfig_Click() {
    if (m_cancelCheck) return;
    const std::optional<QString> network = ChosenNetwork();
    if (!network) return;
    const std::optional<QString> bluetooth = ChosenBluetooth();
    if (!bluetooth) return;
    NetworkAdapter = *network;
    BluetoothAdapter = *bluetooth;
    CommPortNumber = ChosenPort();
    CommSpeed = ChosenSpeed();
    SaveSettings(m_mainStatusBar);
    close();
}

std::int16_t Setup_Form::ChosenPort() const {
    // With no entry chosen, the value in memory is kept rather than saving nonsense.
    if (const QString port = SelectedEntry(CommPort_List); !port.isEmpty()) {
        if (const std::optional<std::int16_t> number = PortNumberText(port.mid(3))) return *number;
    }
    return CommPortNumber;
}

QString Setup_Form::ChosenSpeed() const {
    const QString speed = SelectedEntry(Speed_List);
    return speed.isEmpty() ? CommSpeed : speed;
}

void Setup_Form::SetupCancel_Click() {
    close();
}

} // namespace vorkel
