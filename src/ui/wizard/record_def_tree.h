#pragma once
// The record tree `tvwRecDef`: shows a `RecordTree` model (nodes, selection, enabled state) and
// tells the page when the user selects a node, double-clicks or asks for the pop-up menu.
#include <QTreeWidget>
#include <cstdint>

#include "editor/record_tree.h"

namespace sorvek {

class RecordDefTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit RecordDefTree(QWidget* parent = nullptr);

    // Rebuilds every item from `model` (all nodes expanded) and selects its selected node.
    // Raises no selection signal.
    void showModel(const RecordTree& model);
    // The tag of the selected node; -1 when none is selected.
    std::int32_t selectedTag() const;
    // The number of nodes, all levels.
    int nodeCount() const;
    // The item of the node with tag `tag`, or nullptr.
    QTreeWidgetItem* itemOfTag(std::int32_t tag) const;

  signals:
    // The user selected another node (or none).
    void selectionMoved();
    // A double-click on a node (tvwRecDef_DblClick).
    void nodeDoubleClicked();
    // The pop-up menu is wanted at `globalPos` (right button, or the menu key).
    void menuRequested(const QPoint& globalPos);

  protected:
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace sorvek
