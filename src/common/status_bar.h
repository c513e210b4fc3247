#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <array>

namespace vorkel {

class ValueLabel;

// A status bar of three text panels, addressed 1, 2 and 3, and a message
// over the first two. A message wider than its room is shortened with "...";
// its whole text is the bar's tooltip and, for a screen reader, the bar's
// description, announced once when the message changes (not at every tick
// of a countdown).
class StatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit StatusBar(int panelWidthPixels, QWidget* parent = nullptr);
    QLabel* panel(int index) const; // 1-based
    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;

    // A notice (a refusal, a stop, a saved file) stands for its whole time:
    // a later notice replaces it, what a wait shows waits behind it. whole:
    // the text in full for the tooltip, where the bar shows it shorter.
    void ShowNotice(const QString& text, int ms, const QString& whole = QString());
    // Said once the notice standing now has had its time (at once if none).
    void ShowNoticeAfter(const QString& text, int ms);
    // What a wait waits for now; shown once no notice stands.
    void ShowProgress(const QString& text);
    // The wait is over: its words go, a notice stays.
    void EndProgress();
    bool NoticeStands() const { return m_noticeTimer.isActive(); }
    // The message in full, as the tooltip and a screen reader have it.
    QString WholeMessage() const { return m_whole; }
    // The message as the bar draws it: shortened where it does not fit.
    QString ShownMessage() const;

  signals:
    // A screen reader was told of a new message.
    void Announced(const QString& message);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void MessageChanged(const QString& message);
    void NoticeOver();
    QRect MessageRect() const;

    std::array<ValueLabel*, 3> m_panels{};
    QTimer m_noticeTimer;
    QString m_progress;   // the wait's words, behind a notice
    QString m_nextNotice; // said after the notice that stands
    int m_nextNoticeMs = 0;
    QString m_whole;         // the message in full
    QString m_wholeOfNotice; // ...as the notice gave it
    QString m_announced;     // the gist a screen reader was last told
};

// A message without its countdown: "Calling the adapter... (up to 5 s)" is
// "Calling the adapter...", whatever figure it shows.
QString MessageGist(const QString& message);

} // namespace vorkel
