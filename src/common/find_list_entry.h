#pragma once

#include <QString>

class QListWidget;

namespace vorkel {

// Index of the first entry that begins with text, compared without regard to
// case; -1 when none does.
int FindListEntry(const QString& text, const QListWidget* list);

} // namespace vorkel
