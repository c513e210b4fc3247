#pragma once

#include <QLabel>

namespace vorkel {

// A label that shows a value inside a frame (the cluster type in "Cluster
// Type"), or a status panel: a screen reader names it after its frame and
// reads its text as its value and description. (A plain label's name would
// be its text, with nothing to say what the text is.) A value wider than the
// label is shortened with "..." and shown whole in its tooltip.
class ValueLabel : public QLabel {
    Q_OBJECT
  public:
    ValueLabel(const QString& name, QWidget* parent);
    // Hides QLabel's: a named label no longer tells a screen reader that its
    // text changed, so every value is set here and the change is announced.
    void setText(const QString& text);
    // Said beside the value in the tooltip (where the value came from).
    void setNote(const QString& note);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    bool Fits() const;
    void UpdateToolTip();
    QString m_note;
};

} // namespace vorkel
