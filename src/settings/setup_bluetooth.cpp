// The Setup dialog's Bluetooth adapter: the paired devices that offer a
// serial port, by name and address, chosen instead of the COM port.
#include "common/bluetooth.h"
#include "common/controls.h"
#include "common/message_box.h"
#include "common/shared_state.h"
#include "settings/setup_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>

namespace vorkel {
namespace {

constexpr int BusyRetryMs = 500;

// Why a saved adapter is not listed, in the few words its entry has room for.
QString NotListedWords(BluetoothState state) {
    switch (state) {
    case BluetoothState::Off:
        return QStringLiteral("Bluetooth is off");
    case BluetoothState::NoService:
        return QStringLiteral("Bluetooth service not running");
    case BluetoothState::NotAnswering:
        return QStringLiteral("Bluetooth service not answering");
    case BluetoothState::Busy:
        return QStringLiteral("Bluetooth service busy");
    case BluetoothState::NoAdapter:
        return QStringLiteral("no Bluetooth adapter");
    default:
        return QStringLiteral("not paired now");
    }
}

} // namespace

void Setup_Form::MakeBluetoothControls() {
    if (!BluetoothOffered()) return; // a paired adapter is a COM port here
    Frame4 = MakeFrame(this, "Frame4", "Bluetooth Adapter", TwipsRect(120, 2985, 3375, 1335));
    Bluetooth_Check = new QCheckBox(QStringLiteral("&Bluetooth adapter"), Frame4);
    Place(Bluetooth_Check, "Bluetooth_Check", TwipsRect(120, 300, 1935, 285));
    Bluetooth_Check->setToolTip(
        QStringLiteral("For a Bluetooth adapter: pair it in your desktop's Bluetooth settings "
                       "(PIN 1234 or 0000), choose it here and Save. No rfcomm, no root. The COM "
                       "port and the speed then do not apply."));
    Bluetooth_List = new QComboBox(Frame4);
    Place(Bluetooth_List, "Bluetooth_List", TwipsRect(120, 600, 3135, 285));
    Bluetooth_List->setAccessibleName(QStringLiteral("Paired Bluetooth adapter"));
    Bluetooth_List->setToolTip(Bluetooth_Check->toolTip());
    Bluetooth_Status = MakeLabel(Frame4, "Bluetooth_Status", TwipsRect(120, 600, 3135, 645));
    Bluetooth_Status->setWordWrap(true);
    Bluetooth_Status->hide();
    connect(Bluetooth_Check, &QCheckBox::toggled, this, [this](bool on) {
        if (on) Network_Check->setChecked(false);
        FollowAdapterChoice();
    });
    setTabOrder(NetworkPort_Number, Bluetooth_Check);
    setTabOrder(Bluetooth_Check, Bluetooth_List);
}

void Setup_Form::ShowBluetoothChoice() {
    if (!Bluetooth_Check) return;
    const BluetoothListing listing = ListBluetoothAdapters();
    Bluetooth_List->clear();
    for (const BluetoothDevice& device : listing.devices)
        Bluetooth_List->addItem(BluetoothListEntry(device), device.address);
    // The one saved, also when it is not listed now: the user sees what it was,
    // and why it is not listed. "Not paired" only when the service said so.
    int saved = Bluetooth_List->findData(BluetoothAdapter);
    if (saved < 0 && !BluetoothAdapter.isEmpty()) {
        const bool answered =
            listing.state == BluetoothState::Ready || listing.state == BluetoothState::NonePaired;
        Bluetooth_List->addItem(QStringLiteral("%1 (%2)").arg(
                                    BluetoothAdapter, answered ? QStringLiteral("not paired now")
                                                               : NotListedWords(listing.state)),
                                BluetoothAdapter);
        saved = Bluetooth_List->count() - 1;
        Bluetooth_List->setItemData(saved, BluetoothStateWords(listing.state), Qt::ToolTipRole);
    }
    // The saved one, or the first paired: most have just one.
    Bluetooth_List->setCurrentIndex(saved >= 0 ? saved : 0);
    // Why nothing can be chosen, and what to do, in place of an empty list.
    Bluetooth_Status->setText(BluetoothStateWords(listing.state));
    Bluetooth_Status->setVisible(Bluetooth_List->count() == 0);
    Bluetooth_List->setVisible(Bluetooth_List->count() > 0);
    Bluetooth_Check->setChecked(!BluetoothAdapter.isEmpty());
    FollowAdapterChoice();
    // A question of someone else's still waits: asked again once it may have ended.
    if (listing.state == BluetoothState::Busy)
        QTimer::singleShot(BusyRetryMs, this, [this] {
            if (isVisible() && !m_cancelCheck) ShowBluetoothChoice();
        });
}

std::optional<QString> Setup_Form::ChosenBluetooth() {
    if (!Bluetooth_Check || !Bluetooth_Check->isChecked()) return QString();
    const QString address = Bluetooth_List->currentData().toString();
    if (!address.isEmpty()) return address;
    Message message;
    message.title = QStringLiteral("Setup");
    message.text = QStringLiteral("No Bluetooth adapter is chosen.");
    message.informative = Bluetooth_Status->text().isEmpty()
                              ? QStringLiteral("Choose the adapter in the list, or clear "
                                               "\"Bluetooth adapter\" to use the COM port.")
                              : Bluetooth_Status->text();
    message.icon = MessageIcon::Warning;
    ShowMessage(message);
    return std::nullopt;
}

} // namespace vorkel
