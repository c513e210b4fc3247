#include "common/status_bar.h"

#include "common/value_label.h"

namespace vorkel {

StatusBar::StatusBar(int panelWidthPixels, QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    // What each panel shows: the adapter's banner, the port and speed, the state.
    const char* const names[] = {"Adapter", "Port", "Connection"};
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        auto* label = new ValueLabel(QLatin1String(names[i]), this); // owned by the status bar
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setFixedWidth(panelWidthPixels);
        // The state stays in sight while a message (what a wait waits for) covers the others.
        if (i + 1 == m_panels.size())
            addPermanentWidget(label);
        else
            addWidget(label);
        m_panels[i] = label;
    }
}

QLabel* StatusBar::panel(int index) const {
    if (index < 1 || index > static_cast<int>(m_panels.size())) return nullptr;
    return m_panels[static_cast<std::size_t>(index - 1)];
}

void StatusBar::setPanelText(int index, const QString& text) {
    if (index >= 1 && index <= static_cast<int>(m_panels.size()))
        m_panels[static_cast<std::size_t>(index - 1)]->setText(text);
}

QString StatusBar::panelText(int index) const {
    const QLabel* label = panel(index);
    return label ? label->text() : QString();
}

} // namespace vorkel
