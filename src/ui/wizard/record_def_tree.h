#pragma once
// The record tree `tvwRecDef`: shows a `RecordTree` model (nodes, selection, enabled state) and
// tells the page when the user selects a node, double-clicks or asks for the pop-up menu.
#include <QTreeWidget>
#include <cstdint>
#include <functional>

#include "editor/definition_page.h"
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
    // What the record menu would offer now; the keys give only the commands it offers.
    void setMenuState(std::function<RecordMenu()> menuState) { menuState_ = std::move(menuState); }

  signals:
    // The user selected another node (or none).
    void selectionMoved();
    // A double-click on a node (tvwRecDef_DblClick).
    void nodeDoubleClicked();
    // The pop-up menu is wanted at `globalPos` (right button, or the menu key). A right click
    // on a node has selected it first.
    void menuRequested(const QPoint& globalPos);
    // A keyboard command (Insert, Delete, Enter, Ctrl+C).
    void commandKey(sorvek::RecordCommand command);

  protected:
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::function<RecordMenu()> menuState_;
};

}  // namespace sorvek
