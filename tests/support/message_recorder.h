#pragma once

#include "common/message_box.h"

#include <QList>
#include <functional>

// Answers every message box of the program at once and keeps what it said.
class MessageRecorder {
  public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const QList<vorkel::Message>& messages() const { return m_messages; }
    QStringList texts() const;
    void clear() { m_messages.clear(); }
    // Runs while a box is "open", as a user's click would during the box.
    void setWhileOpen(std::function<void(const vorkel::Message&)> action) {
        m_whileOpen = std::move(action);
    }

  private:
    QList<vorkel::Message> m_messages;
    std::function<void(const vorkel::Message&)> m_whileOpen;
    vorkel::MessageHandler m_previous;
};
