#include "common/message_box.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace vorkel {
namespace {

void ShowRealBox(const Message& message) {
    QMessageBox box;
    SetUpMessageBox(box, message);
    const QPushButton* action = message.actionCaption.isEmpty()
                                    ? nullptr
                                    : box.addButton(message.actionCaption, QMessageBox::AcceptRole);
    box.exec();
    if (action && box.clickedButton() == static_cast<const QAbstractButton*>(action) &&
        message.action)
        message.action();
}

} // namespace

void SetUpMessageBox(QMessageBox& box, const Message& message) {
    box.setWindowTitle(message.title);
    box.setText(message.text);
    if (!message.informative.isEmpty()) box.setInformativeText(message.informative);
    switch (message.icon) {
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    // The box sizes itself by its first line: a short caption would squeeze
    // the advice below it into a narrow column. Room for the longest line, up
    // to some sixty characters.
    const QFontMetrics metrics(box.font());
    int widest = 0;
    for (const QString& line :
         (message.text + QLatin1Char('\n') + message.informative).split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(std::min(widest, 60 * metrics.averageCharWidth()), 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

void UseMessageBoxes() {
    if (!HasMessagePresenter()) SetMessagePresenter(&ShowRealBox);
}

} // namespace vorkel
