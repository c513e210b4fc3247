#include "common/message_box.h"

#include <QMessageBox>

namespace vorkel {
namespace {

MessageHandler& CurrentHandler() {
    static MessageHandler handler;
    return handler;
}

MessageHandler& CurrentObserver() {
    static MessageHandler observer;
    return observer;
}

void ShowRealBox(const Message& message) {
    QMessageBox box;
    box.setWindowTitle(message.title);
    box.setText(message.text);
    if (!message.informative.isEmpty()) box.setInformativeText(message.informative);
    switch (message.icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace

void ShowMessage(const Message& message) {
    if (CurrentObserver()) CurrentObserver()(message);
    if (CurrentHandler())
        CurrentHandler()(message);
    else
        ShowRealBox(message);
}

void SetMessageObserver(MessageHandler observer) {
    CurrentObserver() = std::move(observer);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    MessageHandler old = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return old;
}

} // namespace vorkel
