#include "common/status_bar.h"

#include "common/described_accessible.h"
#include "common/value_label.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyleOption>
#include <utility>

namespace vorkel {
namespace {

QAccessibleInterface* StatusBarFactory(const QString&, QObject* object) {
    auto* bar = qobject_cast<StatusBar*>(object);
    // The accessibility cache owns the interfaces it is given.
    // "Status", with the message as its description and value.
    return bar ? new DescribedAccessible(
                     bar, QAccessible::StatusBar,
                     [](const QWidget* widget) {
                         return static_cast<const StatusBar*>(widget)->WholeMessage();
                     })
               : nullptr;
}

} // namespace

QString MessageGist(const QString& message) {
    static const QRegularExpression countdown(QStringLiteral(" \\(up to \\d+ s\\)$"));
    QString gist = message;
    return gist.remove(countdown);
}

StatusBar::StatusBar(int panelWidthPixels, QWidget* parent) : QStatusBar(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(&StatusBarFactory);
        return true;
    }();
    Q_UNUSED(installed);
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
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, this, &StatusBar::NoticeOver);
    connect(this, &QStatusBar::messageChanged, this, &StatusBar::MessageChanged);
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

void StatusBar::ShowNotice(const QString& text, int ms, const QString& whole) {
    m_wholeOfNotice = whole.isEmpty() ? text : whole;
    m_noticeTimer.start(ms);
    if (currentMessage() == text)
        MessageChanged(text); // the same words may come with another whole text
    else
        showMessage(text);
}

void StatusBar::ShowNoticeAfter(const QString& text, int ms) {
    if (!NoticeStands()) {
        ShowNotice(text, ms);
        return;
    }
    m_nextNotice = text;
    m_nextNoticeMs = ms;
}

void StatusBar::ShowProgress(const QString& text) {
    m_progress = text;
    if (!NoticeStands()) showMessage(text);
}

void StatusBar::EndProgress() {
    const bool shown = !NoticeStands() && !m_progress.isEmpty() && currentMessage() == m_progress;
    m_progress.clear();
    if (shown) clearMessage();
}

void StatusBar::NoticeOver() {
    m_wholeOfNotice.clear();
    if (!m_nextNotice.isEmpty()) {
        const QString next = std::exchange(m_nextNotice, QString());
        ShowNotice(next, m_nextNoticeMs);
    } else if (!m_progress.isEmpty()) {
        showMessage(m_progress);
    } else {
        clearMessage();
    }
}

void StatusBar::MessageChanged(const QString& message) {
    m_whole = NoticeStands() && !m_wholeOfNotice.isEmpty() ? m_wholeOfNotice : message;
    setToolTip(m_whole);
    update();
    // A countdown's tick is no news: a screen reader hears the message once.
    const QString gist = MessageGist(m_whole);
    if (gist == m_announced) return;
    m_announced = gist;
    if (gist.isEmpty()) return;
    AnnounceTextChange(this, m_whole);
    emit Announced(m_whole);
}

QRect StatusBar::MessageRect() const {
    // Where QStatusBar writes its message: up to the panel that stays in sight.
    const QLabel* kept = m_panels.back();
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const int left = rtl ? kept->geometry().right() + 4 : 6;
    const int right = rtl ? width() - 6 : kept->x() - 4;
    return QRect(left, 0, std::max(0, right - left), height());
}

QString StatusBar::ShownMessage() const {
    return fontMetrics().elidedText(currentMessage(), Qt::ElideRight, MessageRect().width());
}

void StatusBar::paintEvent(QPaintEvent*) {
    // As QStatusBar paints itself, but with a message that does not fit
    // shortened where the eye sees it was cut.
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    const QString message = currentMessage();
    for (const ValueLabel* panel : m_panels) {
        if (!panel->isVisible() || (!message.isEmpty() && panel != m_panels.back())) continue;
        QStyleOption item;
        item.rect = panel->geometry().adjusted(-2, -1, 2, 1);
        item.palette = palette();
        item.state = QStyle::State_None;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &item, &painter, panel);
    }
    if (message.isEmpty()) return;
    painter.setPen(palette().windowText().color());
    painter.drawText(MessageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                     ShownMessage());
}

} // namespace vorkel
