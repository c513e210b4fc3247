#include "common/described_accessible.h"

namespace vorkel {

QString DescribedAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return widget()->accessibleName();
    case QAccessible::Value:
    case QAccessible::Description:
        return m_textOf(widget());
    default:
        return QAccessibleWidget::text(t);
    }
}

void AnnounceTextChange(QWidget* widget, const QString& text) {
    QAccessibleEvent description(widget, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
    QAccessibleValueChangeEvent value(widget, text);
    QAccessible::updateAccessibility(&value);
}

} // namespace vorkel
