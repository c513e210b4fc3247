#pragma once

#include <QString>
#include <functional>

class QMessageBox;

// Every message the program shows goes through ShowMessage, so tests can
// observe and answer it instead of being blocked by a real modal box.
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

// Shows a modal box with an OK button (and the message's action, if any) and
// returns when it is closed.
void ShowMessage(const Message& message);

// The real box for a message: title, texts, icon, OK, and wide enough that
// its texts are not squeezed into a narrow column.
void SetUpMessageBox(QMessageBox& box, const Message& message);

// Replaces the real box (tests); an empty handler restores it. Returns the old one.
MessageHandler SetMessageHandler(MessageHandler handler);

// Told of every message before it is shown (the adapter log); empty: none.
void SetMessageObserver(MessageHandler observer);

} // namespace vorkel
