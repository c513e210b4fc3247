#include "app/form1.h"
#include "common/bluetooth.h"
#include "common/mscomm.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "common/twips.h"
#include "settings/check_window.h"
#include "settings/setup_form.h"
#include "support/message_recorder.h"
#include "support/sim_fixture.h"
#include "support/window_driver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSerialPort>
#include <QSpinBox>
#include <QtTest>

using namespace vorkel;
using windowdriver::Entries;
using windowdriver::Selected;

namespace {

QByteArray FileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSetupForm : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void layout_data();
    void layout();
    void listsPortsAndSelects_data();
    void listsPortsAndSelects();
    void activationKeepsTheChoice_data();
    void activationKeepsTheChoice();
    void noPorts();
    void saveWritesAndCloses_data();
    void saveWritesAndCloses();
    void saveWithoutSelectionKeepsMemory();
    void cancelChangesNothing();
    void closingTheFrameIsCancel();

  private:
    QTemporaryDir m_dir;
};

void TestSetupForm::init() {
    IniFilePath = m_dir.filePath(QStringLiteral("VORKEL.INI"));
    QFile::remove(IniFilePath);
}

void TestSetupForm::layout_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Frame1") << "Setup_Form"
                            << "Comm Ports" << QRect(120, 120, 1575, 1215);
    QTest::newRow("CommPort_List") << "Frame1"
                                   << "" << QRect(120, 240, 1335, 840);
    QTest::newRow("SaveConfig") << "Setup_Form"
                                << "Save" << QRect(960, 1440, 735, 375);
    QTest::newRow("SetupCancel") << "Setup_Form"
                                 << "Cancel" << QRect(1800, 1440, 735, 375);
    QTest::newRow("Frame2") << "Setup_Form"
                            << "Comm Speed" << QRect(1800, 120, 1695, 1215);
    QTest::newRow("Speed_List") << "Frame2"
                                << "" << QRect(120, 240, 1455, 840);
    // The network adapter's controls below the others; the dialog grew for them.
    QTest::newRow("Frame3") << "Setup_Form"
                            << "Network Adapter" << QRect(120, 1920, 3375, 975);
    QTest::newRow("Frame4") << "Setup_Form"
                            << "Bluetooth Adapter" << QRect(120, 2985, 3375, 1335);
}

void TestSetupForm::layout() {
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    Setup_Form setup(nullptr, nullptr);
    QCOMPARE(setup.windowTitle(), QStringLiteral("Setup"));
    QCOMPARE(setup.size(), QSize(TwipsToPixels(3570), TwipsToPixels(4935)));
    auto* widget = setup.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->isDefault() && !button->autoDefault());
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) QCOMPARE(frame->title(), caption);
    QCOMPARE(windowdriver::NextTabStop(setup.CommPort_List), setup.SaveConfig);
    QCOMPARE(windowdriver::NextTabStop(setup.SaveConfig), setup.SetupCancel);
    QCOMPARE(windowdriver::NextTabStop(setup.SetupCancel), setup.Speed_List);
    QCOMPARE(windowdriver::NextTabStop(setup.Speed_List), setup.Network_Check);
    QCOMPARE(windowdriver::NextTabStop(setup.NetworkPort_Number->findChild<QLineEdit*>()),
             setup.Bluetooth_Check);
}

void TestSetupForm::listsPortsAndSelects_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("portSelected");
    QTest::addColumn<QString>("speedSelected");
    QTest::newRow("COM3 / 38400") << 3 << "38400"
                                  << "COM3"
                                  << "38400";
    QTest::newRow("COM12 / 115200") << 12 << "115200"
                                    << "COM12"
                                    << "115200";
    QTest::newRow("speed 0 selects none") << 3 << "0"
                                          << "COM3"
                                          << "";
    QTest::newRow("port not present selects none") << 5 << "9600"
                                                   << ""
                                                   << "9600";
}

void TestSetupForm::listsPortsAndSelects() {
    QFETCH(int, port);
    QFETCH(QString, speed);
    QFETCH(QString, portSelected);
    QFETCH(QString, speedSelected);
    SimFixture fixture(FastAdapter(), 3);
    auto second = fixture.addPort(12);
    fixture.hideOtherPorts({3, 12});
    CommPortNumber = static_cast<std::int16_t>(port);
    CommSpeed = speed;
    Setup_Form setup(nullptr, nullptr);
    setup.Form_Activate();
    QCOMPARE(Entries(setup.CommPort_List), (QStringList{"COM3", "COM12"}));
    QCOMPARE(setup.CommPort_List->item(1)->toolTip(), second->SlavePath());
    QCOMPARE(Entries(setup.Speed_List), (QStringList{"9600", "38400", "115200"}));
    QCOMPARE(Selected(setup.CommPort_List), portSelected);
    QCOMPARE(Selected(setup.Speed_List), speedSelected);
}

void TestSetupForm::activationKeepsTheChoice_data() {
    QTest::addColumn<QString>("away"); // where the user went before coming back
    QTest::addColumn<bool>("wifi");    // "WiFi adapter at" ticked when Save is pressed
    QTest::newRow("the main window") << "main" << true;
    QTest::newRow("a message box") << "box" << true;
    QTest::newRow("the check window, WiFi unticked") << "check" << false;
}

void TestSetupForm::activationKeepsTheChoice() {
    QFETCH(QString, away);
    QFETCH(bool, wifi);
    SimFixture fixture(FastAdapter(), 3);
    auto second = fixture.addPort(12);
    fixture.hideOtherPorts({3, 12});
    CommPortNumber = 12;
    CommSpeed = QStringLiteral("9600");
    NetworkAdapter.clear();
    MessageRecorder messages;
    StatusBar statusBar(87);
    QPointer<Setup_Form> setup = new Setup_Form(nullptr, &statusBar);
    setup->show();
    QTRY_COMPARE(Entries(setup->CommPort_List), (QStringList{"COM3", "COM12"}));
    // Chosen and typed, not saved yet.
    setup->CommPort_List->setCurrentRow(0);
    setup->Speed_List->setCurrentRow(2);
    setup->Network_Check->setChecked(true);
    QVERIFY(!setup->CommPort_List->isEnabled() && !setup->Speed_List->isEnabled());
    setup->NetworkHost_Text->setText(QStringLiteral("127.0.0.1"));
    setup->NetworkPort_Number->setValue(35001);
    setup->Network_Check->setChecked(wifi);
    if (away == QLatin1String("box")) ShowMessage(Message{});
    if (away == QLatin1String("check")) {
        QTest::mouseClick(setup->CheckAdapter, Qt::LeftButton);
        setup->findChild<CheckWindow*>()->CheckClose->click();
    }
    QEvent back(QEvent::WindowActivate);
    QApplication::sendEvent(setup, &back);
    QCOMPARE(Entries(setup->CommPort_List), (QStringList{"COM3", "COM12"}));
    QCOMPARE(Selected(setup->CommPort_List), QStringLiteral("COM3"));
    QCOMPARE(Selected(setup->Speed_List), QStringLiteral("115200"));
    QCOMPARE(setup->Network_Check->isChecked(), wifi);
    QCOMPARE(setup->CommPort_List->isEnabled(), !wifi);
    QCOMPARE(setup->NetworkHost_Text->text(), QStringLiteral("127.0.0.1"));
    QTest::mouseClick(setup->SaveConfig, Qt::LeftButton);
    QCOMPARE(FileContent(IniFilePath),
             "VORKEL v1.00 INI File\r\nComPort=COM3\r\nComSpeed=115200\r\n" +
                 QByteArray(wifi ? "Network=127.0.0.1:35001\r\n" : ""));
    NetworkAdapter.clear();
}

void TestSetupForm::noPorts() {
    SimFixture fixture(FastAdapter(), 3);
    QFile::remove(fixture.portsDir() + QStringLiteral("/COM3"));
    fixture.hideOtherPorts({});
    CommPortNumber = 3;
    CommSpeed = QStringLiteral("9600");
    Setup_Form setup(nullptr, nullptr);
    setup.Form_Activate();
    QCOMPARE(setup.CommPort_List->count(), 0);
    QCOMPARE(Selected(setup.CommPort_List), QString());
}

void TestSetupForm::saveWritesAndCloses_data() {
    QTest::addColumn<QString>("before"); // the network (or Bluetooth) adapter in memory
    // Typed with "WiFi adapter at" ticked; null: not ticked; "bluetooth:" and
    // the stand-in's faults: "Bluetooth adapter" ticked and the first one listed chosen.
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("tcpPort");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("panel"); // after Save; for a refusal, a part of the message
    const QByteArray lines = "VORKEL v1.00 INI File\r\nComPort=COM3\r\nComSpeed=115200\r\n";
    QTest::newRow("COM port") << QString() << QString() << 0 << lines << "COM 3 / 115200";
    QTest::newRow("WiFi adapter, as prefilled")
        << QString() << "192.168.0.10" << 35000 << lines + "Network=192.168.0.10:35000\r\n"
        << "192.168.0.10:35000";
    QTest::newRow("IPv6 in brackets")
        << QString() << " ::1 " << 35001 << lines + "Network=[::1]:35001\r\n"
        << "[::1]:35001";
    QTest::newRow("back to the COM port")
        << "192.168.0.10:35000" << QString() << 0 << lines << "COM 3 / 115200";
    QTest::newRow("a host with a blank is refused, nothing saved")
        << QString() << "192.168.0 .10" << 35000 << QByteArray() << "";
    // As an adapter's manual writes it.
    QTest::newRow("host:port in the host field")
        << QString() << "192.168.0.10:35001" << 35000 << lines + "Network=192.168.0.10:35001\r\n"
        << "192.168.0.10:35001";
    QTest::newRow("IPv6 typed in brackets")
        << QString() << "[::1]" << 35000 << lines + "Network=[::1]:35000\r\n"
        << "[::1]:35000";
    QTest::newRow("brackets around a name are refused")
        << QString() << "[adapter]" << 35000 << QByteArray() << "brackets hold only an IPv6";
    QTest::newRow("no IPv4 address, never resolved")
        << QString() << "192.168.0.300" << 35000 << QByteArray()
        << "192.168.0.300 is not an IPv4 address";
    QTest::newRow("a name beyond ASCII, kept in its ASCII form")
        << QString() << "b\u00fccher.example" << 35000
        << lines + "Network=xn--bcher-kva.example:35000\r\n"
        << "xn--bcher-kva.example:35000";
    // A paired Bluetooth adapter, by its name; why there is none to choose.
    QTest::newRow("Bluetooth adapter")
        << QString() << "bluetooth:" << 0 << lines + "Bluetooth=00:1D:A5:68:98:8B\r\n"
        << "Bluetooth OBDII 00:1D:A5:68:98:8B";
    QTest::newRow("from Bluetooth back to the COM port")
        << "00:1D:A5:68:98:8B" << QString() << 0 << lines << "COM 3 / 115200";
    const QList<std::pair<const char*, const char*>> none = {
        {"--bt-off", "Bluetooth is switched off"},
        {"--bt-no-service", "Bluetooth service is not running"},
        {"--bt-no-adapter", "no Bluetooth adapter"},
        {"--bt-unpaired", "No paired device offers a serial port"}};
    for (const auto& [fault, said] : none)
        QTest::newRow(fault) << QString() << QStringLiteral("bluetooth:") + QLatin1String(fault)
                             << 0 << QByteArray() << said;
    // One saved: its entry says why it is not listed, and Save keeps it.
    const QList<std::pair<const char*, const char*>> saved = {
        {"--bt-off", "Bluetooth is off"},
        {"--bt-no-service", "Bluetooth service not running"},
        {"--bt-mute", "Bluetooth service not answering"}};
    for (const auto& [fault, said] : saved)
        QTest::newRow(qPrintable(QStringLiteral("saved, %1").arg(QLatin1String(fault))))
            << "00:1D:A5:68:98:8B" << QStringLiteral("bluetooth:") + QLatin1String(fault) << 0
            << lines + "Bluetooth=00:1D:A5:68:98:8B\r\n"
            << said;
}

void TestSetupForm::saveWritesAndCloses() {
    QFETCH(QString, before);
    QFETCH(QString, host);
    QFETCH(int, tcpPort);
    QFETCH(QByteArray, file);
    QFETCH(QString, panel);
    const bool radio = host.startsWith(QLatin1String("bluetooth:"));
    const bool radioBefore = ParseBluetoothAddress(before).has_value();
    SimFixture fixture(
        radio ? SimFromArguments(host.mid(10).split(QLatin1Char(' '), Qt::SkipEmptyParts))
              : FastAdapter(),
        3);
    std::unique_ptr<vorkelsim::PtyAdapter> comPort; // the fixture's line goes over the radio
    if (radio || radioBefore) {
        fixture.useBluetooth();
        comPort = fixture.addPort(3);
    }
    fixture.hideOtherPorts({3});
    CommPortNumber = 1;
    CommSpeed = QStringLiteral("9600");
    (radioBefore ? BluetoothAdapter : NetworkAdapter) = before;
    QFile::remove(IniFilePath);
    MessageRecorder messages;
    StatusBar statusBar(87);
    QPointer<Setup_Form> setup = new Setup_Form(nullptr, &statusBar);
    setup->show();
    // The desktop hands the focus back while Setup asks the Bluetooth service.
    QTimer::singleShot(0, setup, [&setup] { setup->Form_Activate(); });
    setup->Form_Activate();
    QVERIFY(fixture.serviceListings() <= 1); // not asked again inside its own question
    QCOMPARE(setup->Network_Check->isChecked(), !before.isEmpty() && !radioBefore);
    QCOMPARE(setup->Bluetooth_Check->isChecked(), radioBefore);
    setup->CommPort_List->setCurrentRow(0);
    setup->Speed_List->setCurrentRow(2);
    setup->Network_Check->setChecked(!host.isNull() && !radio);
    setup->Bluetooth_Check->setChecked(radio);
    if (radio && setup->Bluetooth_List->count() > 0) {
        const QString first = setup->Bluetooth_List->itemText(0);
        if (radioBefore && first.startsWith(before)) { // saved, not listed now: why
            QVERIFY2(first.contains(panel), qPrintable(first));
            panel.clear();
        } else {
            QCOMPARE(first, QStringLiteral("OBDII (00:1D:A5:68:98:8B)"));
        }
        setup->Bluetooth_List->setCurrentIndex(0);
    } else if (!host.isNull() && !radio) {
        setup->NetworkHost_Text->setText(host);
        setup->NetworkPort_Number->setValue(tcpPort);
    }
    QTest::mouseClick(setup->SaveConfig, Qt::LeftButton);
    QCOMPARE(FileContent(IniFilePath), file);
    if (!file.isEmpty() && !panel.isEmpty()) QCOMPARE(statusBar.panelText(2), panel);
    if (file.isEmpty()) {
        QCOMPARE(messages.texts().size(), 1);
        const QString said = messages.texts().first() + messages.messages().first().informative;
        QVERIFY2(said.contains(panel), qPrintable(said));
        QVERIFY(!setup.isNull());
        delete setup;
        return;
    }
    QCOMPARE(int(CommPortNumber), 3);
    QCOMPARE(CommSpeed, QStringLiteral("115200"));
    QTRY_VERIFY(setup.isNull());
    NetworkAdapter.clear();
    BluetoothAdapter.clear();
}

void TestSetupForm::saveWithoutSelectionKeepsMemory() {
    SimFixture fixture(FastAdapter(), 3);
    fixture.hideOtherPorts({});
    CommPortNumber = 7;
    CommSpeed = QStringLiteral("19200");
    StatusBar statusBar(87);
    Setup_Form setup(nullptr, &statusBar);
    setup.Form_Activate();
    QCOMPARE(Selected(setup.Speed_List), QString());
    setup.SaveConfig_Click();
    QCOMPARE(int(CommPortNumber), 7);
    QCOMPARE(CommSpeed, QStringLiteral("19200"));
    QCOMPARE(FileContent(IniFilePath),
             QByteArray("VORKEL v1.00 INI File\r\nComPort=COM7\r\nComSpeed=19200\r\n"));
}

void TestSetupForm::cancelChangesNothing() {
    SimFixture fixture(FastAdapter(), 3);
    fixture.hideOtherPorts({3});
    CommPortNumber = 3;
    CommSpeed = QStringLiteral("9600");
    StatusBar statusBar(87);
    statusBar.setPanelText(2, QStringLiteral("COM 3 / 9600"));
    QPointer<Setup_Form> setup = new Setup_Form(nullptr, &statusBar);
    setup->show();
    setup->Form_Activate();
    setup->Speed_List->setCurrentRow(2);
    QTest::mouseClick(setup->SetupCancel, Qt::LeftButton);
    QTRY_VERIFY(setup.isNull());
    QCOMPARE(CommSpeed, QStringLiteral("9600"));
    QVERIFY(!QFile::exists(IniFilePath));
    QCOMPARE(statusBar.panelText(2), QStringLiteral("COM 3 / 9600"));
}

void TestSetupForm::closingTheFrameIsCancel() {
    CommSpeed = QStringLiteral("9600");
    QPointer<Setup_Form> setup = new Setup_Form(nullptr, nullptr);
    setup->show();
    setup->Form_Activate();
    setup->Speed_List->setCurrentRow(1);
    setup->close();
    QTRY_VERIFY(setup.isNull());
    QCOMPARE(CommSpeed, QStringLiteral("9600"));
    QVERIFY(!QFile::exists(IniFilePath));
}

QTEST_MAIN(TestSetupForm)
#include "tst_setup_form.moc"
