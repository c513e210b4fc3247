#pragma once

#include <QAccessibleWidget>

namespace vorkel {

// A widget as a screen reader has it: named by its accessible name ("Cluster
// Type", "Status"), with a text of its own (a label's value, the status bar's
// message) as its value and description.
class DescribedAccessible : public QAccessibleWidget {
  public:
    using TextOf = QString (*)(const QWidget*);
    DescribedAccessible(QWidget* widget, QAccessible::Role role, TextOf textOf)
        : QAccessibleWidget(widget, role), m_textOf(textOf) {}
    QString text(QAccessible::Text t) const override;

  private:
    TextOf m_textOf;
};

// Tells a screen reader that the widget's text changed: AT-SPI passes a
// description change on, and an assistive tool then reads the new text.
void AnnounceTextChange(QWidget* widget, const QString& text);

} // namespace vorkel
