#pragma once

#include <QString>

class QListWidget;

namespace vorkel {

// Says why a list is empty ("Not read yet"), drawn in the empty list, not
// as an entry of it; a screen reader reads it as the list's description.
void SetListPlaceholder(QListWidget* list, const QString& why);

} // namespace vorkel
