#include "common/value_label.h"

#include "common/described_accessible.h"

#include <QPainter>
#include <QStyle>

namespace vorkel {
namespace {

QAccessibleInterface* ValueLabelFactory(const QString&, QObject* object) {
    auto* label = qobject_cast<ValueLabel*>(object);
    // The accessibility cache owns the interfaces it is given.
    return label ? new DescribedAccessible(label, QAccessible::StaticText,
                                           [](const QWidget* widget) {
                                               return static_cast<const QLabel*>(widget)->text();
                                           })
                 : nullptr;
}

} // namespace

ValueLabel::ValueLabel(const QString& name, QWidget* parent) : QLabel(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(&ValueLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setAccessibleName(name);
    // What the adapter or the cluster sent is shown as it came, never as markup.
    setTextFormat(Qt::PlainText);
}

void ValueLabel::setText(const QString& text) {
    if (text == QLabel::text()) return;
    QLabel::setText(text);
    // The text is the label's value and description.
    AnnounceTextChange(this, text);
    UpdateToolTip();
}

void ValueLabel::setNote(const QString& note) {
    m_note = note;
    UpdateToolTip();
}

bool ValueLabel::Fits() const {
    return wordWrap() || fontMetrics().horizontalAdvance(text()) <= contentsRect().width();
}

void ValueLabel::UpdateToolTip() {
    QStringList tip;
    if (!Fits()) tip << text();
    if (!m_note.isEmpty()) tip << m_note;
    setToolTip(tip.join(QLatin1Char('\n')));
}

void ValueLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    UpdateToolTip();
}

void ValueLabel::paintEvent(QPaintEvent* event) {
    if (Fits()) {
        QLabel::paintEvent(event);
        return;
    }
    // As QLabel paints plain text, shortened where it was cut.
    QPainter painter(this);
    drawFrame(&painter);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, room, QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(),
                          fontMetrics().elidedText(text(), Qt::ElideRight, room.width()),
                          foregroundRole());
}

} // namespace vorkel
