// The Setup dialog with the main window: opened from its menu, closing its
// port, and opening no device but the adapter.
#include "app/form1.h"
#include "common/mscomm.h"
#include "common/shared_state.h"
#include "common/status_bar.h"
#include "settings/setup_form.h"
#include "support/message_recorder.h"
#include "support/open_counter.h"
#include "support/sim_fixture.h"
#include "support/window_driver.h"

#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

using namespace vorkel;
using windowdriver::Entries;
using windowdriver::Selected;

class TestSetupWithWindow : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void openingWhileConnectedDisconnects();
    void openingDuringAWaitEndsItCleanly();
    void singleInstanceFromTheMenu();
    void opensNoDeviceButTheAdapter();
    void greyedEntryKeepsTheChoice();
    void keyboard();

  private:
    QTemporaryDir m_dir;
};

void TestSetupWithWindow::init() {
    IniFilePath = m_dir.filePath(QStringLiteral("VORKEL.INI"));
    QFile::remove(IniFilePath);
}

void TestSetupWithWindow::openingWhileConnectedDisconnects() {
    SimFixture fixture(FastAdapter(), 7);
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    IniFilePath = m_dir.filePath(QStringLiteral("VORKEL.INI"));
    MessageRecorder messages;
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    form.mnu_Setup->trigger();
    QVERIFY(form.SetupDialog());
    form.SetupDialog()->Form_Activate();
    QVERIFY(!form.MSComm1->PortOpen());
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Not Connected"));
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Connect"));
    QVERIFY(!form.Command1->isEnabled());
    // The port the program held is listed, since it is free again.
    QVERIFY(Entries(form.SetupDialog()->CommPort_List).contains(QStringLiteral("COM7")));
    form.SetupDialog()->SetupCancel_Click();
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QVERIFY(messages.texts().isEmpty());
}

void TestSetupWithWindow::openingDuringAWaitEndsItCleanly() {
    vorkelsim::SimOptions options;
    options.pendingLate.insert(QStringLiteral("1800FF00"));
    SimFixture fixture(options, 7);
    Form1 form;
    windowdriver::Start(form, fixture.comPort());
    MessageRecorder messages;
    windowdriver::WhenTrue(
        &form, [&] { return fixture.commands().contains(QStringLiteral("1800ff00")); },
        [&] {
            form.mnu_Setup->trigger();
            form.SetupDialog()->Form_Activate();
        });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    QVERIFY(clock.elapsed() < 4000);
    QVERIFY(messages.texts().isEmpty());
    QVERIFY(!form.MSComm1->PortOpen());
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Not Connected"));
    QVERIFY(!form.ExchangeRunning());
}

void TestSetupWithWindow::singleInstanceFromTheMenu() {
    Form1 form;
    form.mnu_Setup->trigger();
    Setup_Form* first = form.SetupDialog();
    QVERIFY(first);
    QVERIFY(!first->isModal());
    QVERIFY(!first->parentWidget());
    form.mnu_Setup->trigger();
    QCOMPARE(form.SetupDialog(), first);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<Setup_Form*>(w) != nullptr; }),
             1);
    // Shown from the menu, it runs its activation by itself.
    QTRY_COMPARE(first->Speed_List->count(), 3);
}

void TestSetupWithWindow::opensNoDeviceButTheAdapter() {
    SimFixture fixture(FastAdapter(), 3);
    auto second = fixture.addPort(12);
    fixture.hideOtherPorts({3, 12});
    const QString adapter = fixture.sim().SlavePath();
    OpenCounter counter({adapter, second->SlavePath()});
    Form1 form;
    windowdriver::Start(form, 3);
    MessageRecorder messages;
    for (int i = 0; i < 2; ++i) {
        form.mnu_Setup_Click();
        form.SetupDialog()->Form_Activate();
        QCOMPARE(Entries(form.SetupDialog()->CommPort_List), (QStringList{"COM3", "COM12"}));
        form.SetupDialog()->SetupCancel_Click();
    }
    QCOMPARE(counter.opens(), (QMap<QString, int>{{adapter, 0}, {second->SlavePath(), 0}}));
    QTest::mouseClick(form.Connect_Command, Qt::LeftButton);
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Connected"));
    QCOMPARE(counter.opens(), (QMap<QString, int>{{adapter, 1}, {second->SlavePath(), 0}}));
    QCOMPARE(messages.texts(), QStringList());
}

void TestSetupWithWindow::greyedEntryKeepsTheChoice() {
    SimFixture fixture(FastAdapter(), 3);
    auto second = fixture.addPort(12);
    auto held = fixture.addPort(5);
    fixture.hideOtherPorts({3, 5, 12});
    QSerialPort other(held->SlavePath()); // another program holds COM5
    QVERIFY(other.open(QIODevice::ReadWrite));
    CommPortNumber = 12;
    CommSpeed = QStringLiteral("9600");
    Setup_Form setup(nullptr, nullptr);
    setup.Form_Activate();
    QListWidget* list = setup.CommPort_List;
    QCOMPARE(Entries(list), (QStringList{"COM3", "COM12", "(COM5 in use)"}));
    list->setCurrentRow(0); // chosen, not saved
    MessageRecorder messages;
    // The box takes the activation from the dialog and gives it back when closed.
    messages.setWhileOpen([&setup](const Message&) {
        QEvent away(QEvent::WindowDeactivate);
        QApplication::sendEvent(&setup, &away);
    });
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    QEvent back(QEvent::WindowActivate);
    QApplication::sendEvent(&setup, &back);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("COM5 cannot be used now.")});
    QCOMPARE(Entries(list), (QStringList{"COM3", "COM12", "(COM5 in use)"}));
    QCOMPARE(Selected(list), QStringLiteral("COM3"));
    QCOMPARE(list->currentRow(), 0);
    // A return from another window lists afresh, the user's choice kept.
    QApplication::sendEvent(&setup, &back);
    QCOMPARE(Selected(list), QStringLiteral("COM3"));
}

void TestSetupWithWindow::keyboard() {
    Form1 form;
    form.mnu_Setup->trigger();
    QPointer<Setup_Form> setup = form.SetupDialog();
    QVERIFY(QTest::qWaitForWindowActive(setup));
    QTRY_COMPARE(setup->Speed_List->count(), 3);
    // The list with the focus looks so.
    setup->SaveConfig->setFocus();
    const QImage unfocused = setup->Speed_List->grab().toImage();
    setup->Speed_List->setFocus();
    QVERIFY(setup->Speed_List->grab().toImage() != unfocused);
    // Enter in a list saves nothing; on a button, it presses that button.
    QTest::keyClick(setup->Speed_List, Qt::Key_Return);
    QVERIFY(setup && setup->isVisible());
    QVERIFY(!QFile::exists(IniFilePath));
    setup->SetupCancel->setFocus();
    QTest::keyClick(setup->SetupCancel, Qt::Key_Return);
    QTRY_VERIFY(!setup);
    QVERIFY(!QFile::exists(IniFilePath));
}

QTEST_MAIN(TestSetupWithWindow)
#include "tst_setup_with_window.moc"
