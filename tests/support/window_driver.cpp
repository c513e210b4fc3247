#include "support/window_driver.h"

#include "app/startup.h"
#include "support/sim_fixture.h"

#include <QListWidget>
#include <QTimer>

namespace windowdriver {

void Start(vorkel::Form1& form, int port) {
    vorkel::Main(form);
    UseComPort(port);
}

QStringList ListLines(const vorkel::Form1& form) {
    QStringList lines;
    for (int i = 0; i < form.DTC_List->count(); ++i)
        lines << form.DTC_List->item(i)->text();
    return lines;
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
