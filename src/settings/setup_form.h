#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace vorkel {

class MSComm;
class StatusBar;

// The Setup dialog: the COM port among those that can be opened now, and the
// speed. Every activation closes the main window's port and lists the ports
// again; the first selects the values in memory, later ones keep the user's
// choice. Save stores and writes it.
class Setup_Form : public QDialog {
    Q_OBJECT
  public:
    Setup_Form(MSComm* mainPort, StatusBar* mainStatusBar, QWidget* parent = nullptr);

    QGroupBox* Frame1 = nullptr;
    QListWidget* CommPort_List = nullptr;
    QPushButton* SaveConfig = nullptr;
    QPushButton* SetupCancel = nullptr;
    QGroupBox* Frame2 = nullptr;
    QListWidget* Speed_List = nullptr;
    // A network (WiFi) adapter instead of the COM port.
    QGroupBox* Frame3 = nullptr;
    QCheckBox* Network_Check = nullptr;
    QLineEdit* NetworkHost_Text = nullptr;
    QSpinBox* NetworkPort_Number = nullptr;
    // A Bluetooth adapter, paired in the desktop's settings, instead of the
    // COM port (where the system offers it); the status says why none is listed.
    QGroupBox* Frame4 = nullptr;
    QCheckBox* Bluetooth_Check = nullptr;
    QComboBox* Bluetooth_List = nullptr;
    QLabel* Bluetooth_Status = nullptr;
    // Checks the adapter chosen in the dialog, without saving it.
    QPushButton* CheckAdapter = nullptr;
    void CheckAdapter_Click();
    bool CheckRunning() const { return static_cast<bool>(m_cancelCheck); }

    // Runs whenever the dialog becomes the active window.
    void Form_Activate();
    void SaveConfig_Click();
    void SetupCancel_Click();

  protected:
    bool event(QEvent* event) override;

  private:
    void FillPortList();
    // Closes the main window's port, or ends its connection being made.
    void ReleaseMainPort();
    void MakeNetworkControls();
    void ShowNetworkChoice();
    void FollowAdapterChoice();
    void MakeBluetoothControls();
    void ShowBluetoothChoice();
    // The Bluetooth adapter chosen, empty for none; nothing, after a message,
    // when the box is ticked but no adapter is chosen.
    std::optional<QString> ChosenBluetooth();
    // The network adapter typed, empty for the COM port; nothing, after a
    // message, for a host that is no name or address.
    std::optional<QString> ChosenNetwork();
    void MakeCheckButton();
    // "Use N baud" in the check's window: saves the port at that speed.
    void UseFoundSpeed(std::int16_t port, int speed);
    // The port and speed chosen in the dialog, not saved.
    std::int16_t ChosenPort() const;
    QString ChosenSpeed() const;
    // A click on a port that cannot be used says why and what to do.
    void ExplainBlockedPort(QListWidgetItem* item);
    // Makes the entry of exactly that text current (none when it is not
    // listed), the list not scrolled.
    void SelectPort(const QString& entry);
    static QString SelectedEntry(const QListWidget* list);

    MSComm* m_mainPort;
    StatusBar* m_mainStatusBar;
    QString m_chosenPort;                // the user's port entry, greyed entries never
    bool m_filled = false;               // the lists hold the user's choice since the opening
    bool m_filling = false;              // the lists are being filled again
    bool m_activating = false;           // Form_Activate is under way
    bool m_mainWasConnected = false;     // this dialog closed the main window's connection
    std::function<void()> m_cancelCheck; // set while a check runs
};

} // namespace vorkel
