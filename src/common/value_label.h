#pragma once

#include <QLabel>

namespace vorkel {

// A label that shows a value inside a frame (the cluster type in "Cluster
// Type"), or a status panel: a screen reader names it after its frame and
// reads its text as its value and description. (A plain label's name would
// be its text, with nothing to say what the text is.)
class ValueLabel : public QLabel {
    Q_OBJECT
  public:
    ValueLabel(const QString& name, QWidget* parent);
    // Hides QLabel's: a named label no longer tells a screen reader that its
    // text changed, so every value is set here and the change is announced.
    void setText(const QString& text);
};

} // namespace vorkel
