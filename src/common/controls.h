#pragma once

#include "common/twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

// How every window of the program makes its controls: a control of a kind,
// its name (also its Qt objectName), its caption and its place in twips
// within its container. The container owns it.
namespace vorkel {

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

inline QLabel* MakeLabel(QWidget* container, const char* name, QRect twips) {
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
    return list;
}

} // namespace vorkel
