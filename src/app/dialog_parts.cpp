#include "app/dialog_parts.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QTreeWidget>

#include "app/qt_text.h"

namespace velomar {

void ConnectClick(QWidget* button, QObject* context, const std::function<void()>& action) {
    if (auto* clickable = qobject_cast<QAbstractButton*>(button)) {
        QObject::connect(clickable, &QAbstractButton::clicked, context, action);
    }
}

QTreeWidget* TwoColumnList(QWidget& parent, QWidget* placeholder) {
    auto* list = new QTreeWidget(&parent);
    if (placeholder != nullptr) {
        list->setGeometry(placeholder->geometry());
        placeholder->hide();
    }
    list->setColumnCount(2);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(false);  // the widths are fixed per screen
    list->header()->setDefaultAlignment(Qt::AlignCenter);
    return list;
}

}  // namespace velomar
