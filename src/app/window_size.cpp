// The window opens at its designed size, which is also its smallest; made
// larger, the list and the status bar's message grow with it, and the
// buttons and frames below the list keep their places under it.
#include "app/form1.h"

#include "common/status_bar.h"

#include <QEvent>
#include <QGroupBox>
#include <QListWidget>

namespace vorkel {

void Form1::MakeResizable(QWidget* client, QSize opening) {
    client->setMinimumSize(opening);
    client->resize(opening);
    for (QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        m_placed.push_back({control, control->geometry()});
    m_placed.push_back({DTC_List, DTC_List->geometry()});
    m_opening = opening;
    client->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) FollowClientSize();
    return QMainWindow::eventFilter(watched, event);
}

void Form1::FollowClientSize() {
    const QSize extra = (centralWidget()->size() - m_opening).expandedTo(QSize(0, 0));
    for (const auto& [control, opening] : m_placed) {
        if (control == Frame2 || control == DTC_List)
            control->setGeometry(opening.adjusted(0, 0, extra.width(), extra.height()));
        else if (control == StatusBar1)
            control->setGeometry(
                opening.translated(0, extra.height()).adjusted(0, 0, extra.width(), 0));
        else
            control->move(opening.topLeft() + QPoint(0, extra.height()));
    }
}

} // namespace vorkel
