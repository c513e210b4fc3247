#include "support/open_counter.h"

#include <sys/inotify.h>
#include <unistd.h>

OpenCounter::OpenCounter(const QStringList& devices) : m_fd(::inotify_init1(IN_NONBLOCK)) {
    for (const QString& device : devices) {
        // Close events too: inotify merges identical events in a row, so two
        // opens with no close between them would count once.
        const int watch = ::inotify_add_watch(m_fd, device.toLocal8Bit().constData(),
                                              IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
        m_watches[watch] = device;
        m_opens[device] = 0;
    }
}

OpenCounter::~OpenCounter() {
    if (m_fd >= 0) ::close(m_fd);
}

QMap<QString, int> OpenCounter::opens() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0) break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) ++m_opens[m_watches.value(event->wd)];
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return m_opens;
}
