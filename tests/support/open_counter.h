#pragma once

#include <QMap>
#include <QStringList>

// Counts the opens of device files, pseudo-terminals included, through
// inotify: each open of a watched file is reported, whoever opens it.
class OpenCounter {
  public:
    explicit OpenCounter(const QStringList& devices);
    ~OpenCounter();
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    // How often each device has been opened since the counter was made.
    QMap<QString, int> opens();

  private:
    int m_fd = -1;
    QMap<int, QString> m_watches;
    QMap<QString, int> m_opens;
};
