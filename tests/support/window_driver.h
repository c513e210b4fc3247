#pragma once

#include "app/form1.h"

#include <QStringList>

class QListWidget;
class QPushButton;
#include <functional>

// Helpers for driving the main window the way a user does.
namespace windowdriver {

// Main() on the form, then the program's settings pointed at COM<port>.
void Start(vorkel::Form1& form, int port);

QStringList ListLines(const vorkel::Form1& form);
QStringList Entries(const QListWidget* list);
// The text of a list's selected entry; empty for none.
QString Selected(const QListWidget* list);

// The simulator's three stored codes as the window lists them.
extern const QStringList WorkedExample;

void Click(QPushButton* button);

// A window in the disconnected state of the start-up table, its port closed.
void VerifyDisconnected(vorkel::Form1& form);

// The next widget that Tab moves to from widget.
QWidget* NextTabStop(QWidget* widget);

// Runs action once condition holds, checking every 10 ms while the program's
// own waits turn the event loop (a click in the middle of a wait). The check
// ends with owner, so it never outlives what it looks at.
void WhenTrue(QObject* owner, std::function<bool()> condition, std::function<void()> action);

} // namespace windowdriver
