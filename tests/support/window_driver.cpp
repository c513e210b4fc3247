#include "support/window_driver.h"

#include "app/startup.h"
#include "common/status_bar.h"
#include "support/sim_fixture.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace windowdriver {

void Start(vorkel::Form1& form, int port) {
    vorkel::Main(form);
    UseComPort(port);
}

QStringList ListLines(const vorkel::Form1& form) {
    return Entries(form.DTC_List);
}

QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

const QStringList WorkedExample{"B1201,Fuel Sender Circuit Failure", "B2680,Odometer Changed",
                                "U1900,CAN Comms Bus Fault Receive Error"};

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void VerifyDisconnected(vorkel::Form1& form) {
    QCOMPARE(form.Connect_Command->text(), QStringLiteral("Connect"));
    QCOMPARE(form.StatusBar1->panelText(1), QString());
    QCOMPARE(form.StatusBar1->panelText(3), QStringLiteral("Not Connected"));
    QVERIFY(!form.Command1->isEnabled());
    QVERIFY(!form.DTC_Clear_Button->isEnabled());
    QVERIFY(!form.MSComm1->PortOpen());
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(!form.ExchangeRunning());
    QVERIFY(!QApplication::overrideCursor());
}

QString Selected(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

QWidget* NextTabStop(QWidget* widget) {
    do
        widget = widget->nextInFocusChain();
    while (!(widget->focusPolicy() & Qt::TabFocus));
    return widget;
}

void WhenTrue(QObject* owner, std::function<bool()> condition, std::function<void()> action) {
    auto* timer = new QTimer(owner);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, condition, action] {
        if (!condition()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

} // namespace windowdriver
