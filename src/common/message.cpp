#include "common/message.h"

#include <cstdio>

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

MessageHandler& CurrentPresenter() {
    static MessageHandler presenter;
    return presenter;
}

void WriteToStandardError(const Message& message) {
    QString text = message.text;
    if (!message.informative.isEmpty()) text += QLatin1Char('\n') + message.informative;
    std::fprintf(stderr, "vorkel: %s\n", text.toLocal8Bit().constData());
}

} // namespace

void ShowMessage(const Message& message) {
    if (CurrentObserver()) CurrentObserver()(message);
    if (CurrentHandler())
        CurrentHandler()(message);
    else if (CurrentPresenter())
        CurrentPresenter()(message);
    else
        WriteToStandardError(message);
}

void SetMessagePresenter(MessageHandler presenter) {
    CurrentPresenter() = std::move(presenter);
}

bool HasMessagePresenter() {
    return static_cast<bool>(CurrentPresenter());
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
