// The Setup dialog's network adapter: a WiFi adapter's host and TCP port,
// chosen instead of the COM port.
#include "common/controls.h"
#include "common/message_box.h"
#include "common/network_address.h"
#include "common/shared_state.h"
#include "settings/setup_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace vorkel {

void Setup_Form::MakeNetworkControls() {
    Frame3 = MakeFrame(this, "Frame3", "Network Adapter", TwipsRect(120, 1920, 3375, 975));
    Network_Check = new QCheckBox(QStringLiteral("&WiFi adapter at"), Frame3);
    Place(Network_Check, "Network_Check", TwipsRect(120, 300, 1455, 285));
    Network_Check->setToolTip(
        QStringLiteral("For a WiFi (network) adapter: join its WiFi network, type its address "
                       "and TCP port (most are at %1:%2) and Save. The COM port and the speed "
                       "then do not apply.")
            .arg(QLatin1String(DefaultAdapterHost))
            .arg(DefaultAdapterPort));
    NetworkHost_Text = new QLineEdit(Frame3);
    Place(NetworkHost_Text, "NetworkHost_Text", TwipsRect(120, 600, 2055, 285));
    NetworkHost_Text->setAccessibleName(QStringLiteral("Adapter's host name or IP address"));
    NetworkHost_Text->setToolTip(Network_Check->toolTip());
    NetworkPort_Number = new QSpinBox(Frame3);
    Place(NetworkPort_Number, "NetworkPort_Number", TwipsRect(2280, 600, 975, 285));
    NetworkPort_Number->setRange(1, 65535);
    NetworkPort_Number->setAccessibleName(QStringLiteral("Adapter's TCP port"));
    NetworkPort_Number->setToolTip(Network_Check->toolTip());
    connect(Network_Check, &QCheckBox::toggled, this, [this](bool on) {
        // One adapter at a time: the WiFi one, the Bluetooth one, or the COM port.
        if (on && Bluetooth_Check) Bluetooth_Check->setChecked(false);
        FollowAdapterChoice();
    });
    setTabOrder(Speed_List, Network_Check);
    setTabOrder(Network_Check, NetworkHost_Text);
    setTabOrder(NetworkHost_Text, NetworkPort_Number);
}

void Setup_Form::ShowNetworkChoice() {
    const std::optional<NetworkAddress> chosen = ParseNetworkAddress(NetworkAdapter);
    const NetworkAddress shown =
        chosen.value_or(NetworkAddress{QLatin1String(DefaultAdapterHost), DefaultAdapterPort});
    NetworkHost_Text->setText(ShownHost(shown.host));
    NetworkPort_Number->setValue(shown.port);
    Network_Check->setChecked(chosen.has_value());
    FollowAdapterChoice();
}

void Setup_Form::FollowAdapterChoice() {
    // What does not apply is greyed; what was typed or chosen stays for this Setup.
    const bool wifi = Network_Check->isChecked();
    const bool radio = Bluetooth_Check && Bluetooth_Check->isChecked();
    NetworkHost_Text->setEnabled(wifi);
    NetworkPort_Number->setEnabled(wifi);
    if (Bluetooth_List) Bluetooth_List->setEnabled(radio);
    CommPort_List->setEnabled(!wifi && !radio);
    Speed_List->setEnabled(!wifi && !radio);
}

std::optional<QString> Setup_Form::ChosenNetwork() {
    if (!Network_Check->isChecked()) return QString();
    const TypedAddress typed = CheckTypedAddress(NetworkHost_Text->text(),
                                                 static_cast<quint16>(NetworkPort_Number->value()));
    if (typed.address) {
        // "192.168.0.10:35000" typed in one field is shown as the two it is.
        NetworkHost_Text->setText(ShownHost(typed.address->host));
        NetworkPort_Number->setValue(typed.address->port);
        return NetworkAddressText(*typed.address);
    }
    Message message;
    message.title = QStringLiteral("Setup");
    message.text = typed.mistake;
    message.informative = QStringLiteral("Type the adapter's address, for example %1, or "
                                         "clear \"WiFi adapter at\" to use the COM port.")
                              .arg(QLatin1String(DefaultAdapterHost));
    message.icon = MessageIcon::Warning;
    ShowMessage(message);
    NetworkHost_Text->setFocus();
    return std::nullopt;
}

} // namespace vorkel
