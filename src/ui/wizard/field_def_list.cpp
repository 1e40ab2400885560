#include "ui/wizard/field_def_list.h"
#include "ui/widgets/ui_text.h"
#include "ui/widgets/window_placement.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

namespace sorvek {
namespace {

enum Column { kName, kType, kPos, kSize, kMemo, kColumnCount };

FieldListKey listKey(int key) {
    switch (key) {
        case Qt::Key_Insert:
            return FieldListKey::Insert;
        case Qt::Key_Delete:
            return FieldListKey::Delete;
        case Qt::Key_Up:
            return FieldListKey::Up;
        case Qt::Key_Down:
            return FieldListKey::Down;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return FieldListKey::Enter;
        default:
            return FieldListKey::Other;
    }
}

}  // namespace

FieldDefList::FieldDefList(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(kColumnCount);
    setHeaderLabels({QStringLiteral("フィールド名"), QStringLiteral("属性"), QStringLiteral("位置"),
                     QStringLiteral("バイト数"), QStringLiteral("メモ")});
    const int widths[kColumnCount] = {2300, 900, 620, 620, 3500};
    // A column is never narrower than its heading ("バイト数" is wider than its numbers).
    for (int i = 0; i < kColumnCount; ++i) {
        const int heading =
            header()->fontMetrics().horizontalAdvance(headerItem()->text(i)) + px(240);
        setColumnWidth(i, std::max(px(widths[i]), heading));
    }
    headerItem()->setTextAlignment(kPos, Qt::AlignRight | Qt::AlignVCenter);
    headerItem()->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSortingEnabled(false);  // row r always stands for field r - 1
    connect(this, &QTreeWidget::itemChanged, this, &FieldDefList::onItemChanged);
}

void FieldDefList::showRows(const std::vector<FieldRow>& rows) {
    const QSignalBlocker quiet(this);
    clear();
    QList<QTreeWidgetItem*> items;
    int widestType = 0;
    for (const FieldRow& row : rows) {
        auto* item =
            new QTreeWidgetItem({QString::fromStdString(row.name), QString::fromStdString(row.type),
                                 QString::fromStdString(row.pos), QString::fromStdString(row.size),
                                 QString::fromStdString(row.memo)});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                       Qt::ItemNeverHasChildren);
        item->setTextAlignment(kPos, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
        item->setCheckState(kName, row.checked ? Qt::Checked : Qt::Unchecked);
        // The host forms make long texts: the whole one on hovering.
        item->setToolTip(kType, item->text(kType));
        paintRow(item, row.checked);
        items.append(item);
        widestType = std::max(widestType, fontMetrics().horizontalAdvance(item->text(kType)));
    }
    addTopLevelItems(items);
    // The column grows to show a field's host forms whole; it never shrinks under the user.
    const int typeWidth = widestType + px(240);
    if (typeWidth > columnWidth(kType)) setColumnWidth(kType, typeWidth);
    setCurrentItem(nullptr);
    clearSelection();
    verticalScrollBar()->setValue(0);
}

void FieldDefList::setRowChecked(int row, bool ticked) {
    QTreeWidgetItem* item = topLevelItem(row - 1);
    if (item == nullptr) return;
    const QSignalBlocker quiet(this);
    item->setCheckState(kName, ticked ? Qt::Checked : Qt::Unchecked);
    paintRow(item, ticked);
}

int FieldDefList::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? 0 : indexOfTopLevelItem(selected.first()) + 1;
}

int FieldDefList::topRow() const {
    if (rowCount() == 0) return 0;
    QTreeWidgetItem* first = itemAt(QPoint(1, 1));
    return first == nullptr ? 1 : indexOfTopLevelItem(first) + 1;
}

int FieldDefList::getRowsPerPage() const {
    int rowHeight = 0;
    if (rowCount() > 0) rowHeight = visualItemRect(topLevelItem(0)).height();
    if (rowHeight <= 0) rowHeight = fontMetrics().height() + 4;
    return std::max(1, viewport()->height() / rowHeight);
}

void FieldDefList::selectRow(int row) {
    QTreeWidgetItem* item = topLevelItem(row - 1);
    if (item == nullptr) return;
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item, QAbstractItemView::EnsureVisible);
}

void FieldDefList::bringIntoView(int row) {
    QTreeWidgetItem* item = topLevelItem(row - 1);
    if (item != nullptr) scrollToItem(item, QAbstractItemView::EnsureVisible);
}

void FieldDefList::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const KeyModifiers modifiers{mods.testFlag(Qt::ControlModifier),
                                 mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::AltModifier)};
    const FieldKeyAction action =
        fieldListKeyAction(listKey(event->key()), modifiers, selectedRow(), rowCount());
    if (action.command != FieldCommand::None) emit commandKey(action.command);
    if (action.consumeKey) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool FieldDefList::viewportEvent(QEvent* event) {
    // The right button selects the row under it, then opens the menu where it was pressed; over
    // the free area below the rows the selection stays.
    if (const std::optional<QPoint> at = rightButtonPress(event)) {
        if (QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(*at))) {
            selectRow(indexOfTopLevelItem(item) + 1);
        }
        emit menuRequested(*at);
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void FieldDefList::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menu was opened on the press; this one comes from the keyboard.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        QTreeWidgetItem* item = currentItem();
        const QRect rect = item != nullptr ? visualItemRect(item) : QRect();
        emit menuRequested(
            viewport()->mapToGlobal(item != nullptr ? rect.bottomLeft() : QPoint(0, 0)));
    }
    event->accept();
}

void FieldDefList::paintRow(QTreeWidgetItem* item, bool ticked) {
    // Left-out fields look greyed; the memo keeps the list's own text colour.
    const QColor colour = ticked ? palette().color(QPalette::Active, QPalette::ButtonText)
                                 : palette().color(QPalette::Disabled, QPalette::Text);
    for (int column = kName; column <= kSize; ++column) item->setForeground(column, colour);
}

void FieldDefList::onItemChanged(QTreeWidgetItem* item, int column) {
    if (column != kName) return;
    const bool ticked = item->checkState(kName) == Qt::Checked;
    {
        const QSignalBlocker quiet(this);
        paintRow(item, ticked);
    }
    emit rowChecked(indexOfTopLevelItem(item) + 1, ticked);
}

}  // namespace sorvek
