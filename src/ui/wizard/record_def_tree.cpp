#include "ui/wizard/record_def_tree.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMap>
#include <QMouseEvent>
#include <QTreeWidgetItemIterator>

#include "ui/widgets/window_placement.h"
#include "ui/wizard/record_icons.h"

namespace sorvek {
namespace {

constexpr int kTagRole = Qt::UserRole;

}  // namespace

RecordDefTree::RecordDefTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);  // a double-click changes the definition
    setIconSize(QSize(16, 16));
    setEnabled(false);  // no definition yet
    connect(this, &QTreeWidget::itemSelectionChanged, this, &RecordDefTree::selectionMoved);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { emit nodeDoubleClicked(); });
}

void RecordDefTree::showModel(const RecordTree& model) {
    const QSignalBlocker quiet(this);
    clear();
    QMap<std::int32_t, QTreeWidgetItem*> byTag;
    for (const RecordTreeNode& node : model.nodes) {
        QTreeWidgetItem* parent = byTag.value(node.parentTag, nullptr);
        auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, QString::fromStdString(node.text));
        item->setIcon(0, ilsIcon(node.image));
        item->setData(0, kTagRole, node.tag);
        if (node.bold) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
        }
        byTag.insert(node.tag, item);
    }
    expandAll();
    setEnabled(model.enabled);
    const std::int32_t tag = model.selectedTag();
    QTreeWidgetItem* selected = tag >= 0 ? byTag.value(tag, nullptr) : nullptr;
    setCurrentItem(selected);
    if (selected != nullptr) scrollToItem(selected);
}

std::int32_t RecordDefTree::selectedTag() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return -1;
    return selected.first()->data(0, kTagRole).toInt();
}

int RecordDefTree::nodeCount() const {
    int count = 0;
    for (QTreeWidgetItemIterator it(const_cast<RecordDefTree*>(this)); *it != nullptr; ++it) {
        ++count;
    }
    return count;
}

QTreeWidgetItem* RecordDefTree::itemOfTag(std::int32_t tag) const {
    for (QTreeWidgetItemIterator it(const_cast<RecordDefTree*>(this)); *it != nullptr; ++it) {
        if ((*it)->data(0, kTagRole).toInt() == tag) return *it;
    }
    return nullptr;
}

bool RecordDefTree::viewportEvent(QEvent* event) {
    // The right button selects the node under it (the page shows its details), then opens the
    // menu for it; over the free area the selection stays.
    if (const std::optional<QPoint> at = rightButtonPress(event)) {
        if (QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(*at))) setCurrentItem(item);
        emit menuRequested(*at);
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void RecordDefTree::keyPressEvent(QKeyEvent* event) {
    RecordTreeKey key = RecordTreeKey::Other;
    switch (event->key()) {
        case Qt::Key_Insert:
            key = RecordTreeKey::Insert;
            break;
        case Qt::Key_Delete:
            key = RecordTreeKey::Delete;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = RecordTreeKey::Enter;
            break;
        case Qt::Key_C:
            key = RecordTreeKey::C;
            break;
        default:
            break;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    const KeyModifiers modifiers{mods.testFlag(Qt::ControlModifier),
                                 mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::AltModifier)};
    const RecordKeyAction action =
        recordTreeKeyAction(key, modifiers, menuState_ ? menuState_() : RecordMenu{});
    if (action.command != RecordCommand::None) emit commandKey(action.command);
    if (action.consumeKey) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void RecordDefTree::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        QTreeWidgetItem* item = currentItem();
        const QPoint at = item != nullptr ? visualItemRect(item).bottomLeft() : QPoint(0, 0);
        emit menuRequested(viewport()->mapToGlobal(at));
    }
    event->accept();
}

}  // namespace sorvek
