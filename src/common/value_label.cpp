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

} // namespace vorkel
