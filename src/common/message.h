#pragma once

#include <QString>
#include <functional>

// Every message the program shows goes through ShowMessage, so tests can
// observe and answer it instead of being blocked by a real modal box, and a
// reading without a window can say it in words.
namespace vorkel {

enum class MessageIcon { Critical, Warning, Information };

struct Message {
    QString text;
    QString title;
    QString informative; // a second paragraph with details; may be empty
    MessageIcon icon = MessageIcon::Critical;
    // A button beside OK that does what the text advises ("Use 57600 baud"); none when empty.
    QString actionCaption;
    std::function<void()> action;
};

using MessageHandler = std::function<void(const Message&)>;

// Shows the message and returns when it has been seen: the presenter's box in
// the window program (a modal box with OK), the text on standard error
// without one.
void ShowMessage(const Message& message);

// How messages are shown when no handler replaces them; empty: on standard error.
void SetMessagePresenter(MessageHandler presenter);
bool HasMessagePresenter();

// Replaces the presenter (tests); an empty handler restores it. Returns the old one.
MessageHandler SetMessageHandler(MessageHandler handler);

// Told of every message before it is shown (the adapter log); empty: none.
void SetMessageObserver(MessageHandler observer);

} // namespace vorkel
