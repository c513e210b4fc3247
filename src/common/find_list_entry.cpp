#include "common/find_list_entry.h"

#include <QListWidget>

namespace vorkel {

int FindListEntry(const QString& text, const QListWidget* list) {
    if (!list) return -1;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().startsWith(text, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

} // namespace vorkel
