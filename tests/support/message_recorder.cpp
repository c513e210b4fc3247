#include "support/message_recorder.h"

MessageRecorder::MessageRecorder() {
    m_previous = vorkel::SetMessageHandler([this](const vorkel::Message& message) {
        m_messages << message;
        if (m_whileOpen) m_whileOpen(message);
    });
}

MessageRecorder::~MessageRecorder() {
    vorkel::SetMessageHandler(m_previous);
}

QStringList MessageRecorder::texts() const {
    QStringList texts;
    for (const vorkel::Message& message : m_messages)
        texts << message.text;
    return texts;
}
