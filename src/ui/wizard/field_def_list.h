#pragma once
// The field list `lvwFldDef`: a report view with a check box in the first column, one row per
// field of the selected record. It shows rows it is given and tells what the user did (a tick,
// a keyboard command, a right click); the page decides what happens.
#include <QTreeWidget>
#include <vector>

#include "editor/field_list.h"

namespace sorvek {

class FieldDefList : public QTreeWidget {
    Q_OBJECT
  public:
    explicit FieldDefList(QWidget* parent = nullptr);

    // Replaces every row (the refill). The list is left scrolled to its first row with no row
    // selected. Raises no rowChecked.
    void showRows(const std::vector<FieldRow>& rows);
    // Ticks or unticks row `row` (1-based) and gives it its colours; raises no rowChecked.
    void setRowChecked(int row, bool ticked);

    int rowCount() const { return topLevelItemCount(); }
    // The selected row, 1-based; 0 when no row is selected.
    int selectedRow() const;
    // The first visible row, 1-based; 0 when the list has no rows.
    int topRow() const;
    // How many rows fit completely in the visible area (at least 1).
    int getRowsPerPage() const;
    // Selects row `row` (1-based), makes it the current row and scrolls the least amount that
    // shows it; nothing for 0.
    void selectRow(int row);
    // Scrolls the least amount that makes row `row` visible; nothing for 0.
    void bringIntoView(int row);

  signals:
    // The user ticked or unticked row `row` (lvwFldDef_ItemCheck).
    void rowChecked(int row, bool ticked);
    // A keyboard command (lvwFldDef_KeyDown).
    void commandKey(sorvek::FieldCommand command);
    // The pop-up menu is wanted at `globalPos` (right button, or the menu key). A right click on
    // a row has selected it first.
    void menuRequested(const QPoint& globalPos);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void paintRow(QTreeWidgetItem* item, bool ticked);
    void onItemChanged(QTreeWidgetItem* item, int column);
};

}  // namespace sorvek
