#include "common/list_placeholder.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace vorkel {
namespace {

const char* const PlaceholderName = "placeholder";

void ShowPlaceholderIfEmpty(QListWidget* list, QLabel* placeholder) {
    const bool empty = list->count() == 0;
    placeholder->setVisible(empty && !placeholder->text().isEmpty());
    list->setAccessibleDescription(empty ? placeholder->text() : QString());
}

} // namespace

void SetListPlaceholder(QListWidget* list, const QString& why) {
    auto* placeholder = list->viewport()->findChild<QLabel*>(QLatin1String(PlaceholderName));
    if (!placeholder) {
        placeholder = new QLabel(list->viewport()); // owned by the list's viewport
        placeholder->setObjectName(QLatin1String(PlaceholderName));
        placeholder->setTextFormat(Qt::PlainText);
        placeholder->setAlignment(Qt::AlignCenter);
        placeholder->setWordWrap(true);
        placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);
        placeholder->setForegroundRole(QPalette::PlaceholderText);
        // The viewport's layout keeps it filling the list, however large the list grows.
        auto* layout = new QVBoxLayout(list->viewport());
        layout->addWidget(placeholder);
        const auto follow = [list, placeholder] { ShowPlaceholderIfEmpty(list, placeholder); };
        QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, placeholder, follow);
        QObject::connect(list->model(), &QAbstractItemModel::rowsRemoved, placeholder, follow);
        QObject::connect(list->model(), &QAbstractItemModel::modelReset, placeholder, follow);
    }
    placeholder->setText(why);
    ShowPlaceholderIfEmpty(list, placeholder);
}

} // namespace vorkel
