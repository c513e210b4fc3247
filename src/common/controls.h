#pragma once

#include "common/twips.h"
#include "common/value_label.h"

#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

// How every window of the program makes its controls: a control of a kind,
// its name (also its Qt objectName), its caption and its place in twips
// within its container. The container owns it.
namespace vorkel {

// A dialog of fixed client size with the program's icon, a title bar and a
// close button but no minimise or maximise; it deletes itself once closed.
inline void PrepareDialog(QDialog* dialog, const char* name, int widthTwips, int heightTwips) {
    dialog->setObjectName(QLatin1String(name));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(TwipsToPixels(widthTwips), TwipsToPixels(heightTwips));
    dialog->setWindowIcon(QIcon(QStringLiteral(":/vorkel.xpm")));
}

inline void Place(QWidget* control, const char* name, QRect twips) {
    control->setObjectName(QLatin1String(name));
    control->setGeometry(twips);
}

inline QGroupBox* MakeFrame(QWidget* container, const char* name, const char* caption,
                            QRect twips) {
    auto* frame = new QGroupBox(QLatin1String(caption), container);
    Place(frame, name, twips);
    return frame;
}

// A label or list in a frame holds what the frame's caption names: a screen
// reader names it so.
inline ValueLabel* MakeValueLabel(QGroupBox* frame, const char* name, QRect twips) {
    auto* label = new ValueLabel(frame->title(), frame);
    Place(label, name, twips);
    return label;
}

inline QLabel* MakeLabel(QWidget* container, const char* name, QRect twips) {
    if (auto* frame = qobject_cast<QGroupBox*>(container))
        return MakeValueLabel(frame, name, twips);
    auto* label = new QLabel(container);
    Place(label, name, twips);
    return label;
}

// Enter and Escape mean nothing to a button unless its window says otherwise.
inline QPushButton* MakeButton(QWidget* container, const char* name, const char* caption,
                               QRect twips) {
    auto* button = new QPushButton(QLatin1String(caption), container);
    Place(button, name, twips);
    button->setAutoDefault(false);
    return button;
}

inline QListWidget* MakeList(QWidget* container, const char* name, QRect twips) {
    auto* list = new QListWidget(container);
    Place(list, name, twips);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    if (const auto* frame = qobject_cast<QGroupBox*>(container))
        list->setAccessibleName(frame->title());
    return list;
}

} // namespace vorkel
