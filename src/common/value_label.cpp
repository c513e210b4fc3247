#include "common/value_label.h"

#include <QAccessibleWidget>

namespace vorkel {
namespace {

class ValueLabelAccessible : public QAccessibleWidget {
  public:
    explicit ValueLabelAccessible(ValueLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name:
            return widget()->accessibleName();
        case QAccessible::Value:
        case QAccessible::Description:
            return static_cast<const QLabel*>(widget())->text();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* ValueLabelFactory(const QString&, QObject* object) {
    auto* label = qobject_cast<ValueLabel*>(object);
    // The accessibility cache owns the interfaces it is given.
    return label ? new ValueLabelAccessible(label) : nullptr;
}

} // namespace

ValueLabel::ValueLabel(const QString& name, QWidget* parent) : QLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(&ValueLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setAccessibleName(name);
}

void ValueLabel::setText(const QString& text) {
    if (text == QLabel::text()) return;
    QLabel::setText(text);
    // The text is the label's value and description; AT-SPI passes a
    // description change on, and an assistive tool then reads the new text.
    QAccessibleEvent description(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
    QAccessibleValueChangeEvent value(this, text);
    QAccessible::updateAccessibility(&value);
}

} // namespace vorkel
