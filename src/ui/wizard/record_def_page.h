#pragma once
// Page 11 of the wizard: the record definition. Its left half is the record tree with the
// selected node's details, its right half the field list of the selected record; the buttons
// start a new definition, open one and save it. Every command changes the table (and the tree
// model) through the editor's functions first; the controls then show the result.
#include <QWidget>
#include <cstdint>

#include "editor/definition_history.h"
#include "editor/field_list.h"
#include "editor/record_tree.h"
#include "editor/unsaved_changes.h"
#include "ui/dialogs/message_box.h"
#include "ui/wizard/data_preview_pane.h"
#include "ui/wizard/field_def_list.h"
#include "ui/wizard/record_def_tree.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;

namespace sorvek {

struct AppState;

class RecordDefPage : public QWidget {
    Q_OBJECT
  public:
    RecordDefPage(AppState& state, QWidget* parent = nullptr);

    AppState& state() { return state_; }
    // The number of nodes of the record tree (all levels).
    int treeNodeCount() const;
    // The tree as the editor's functions see it; the control shows exactly this.
    const RecordTree& treeModel() const { return tree_; }

    // The handlers of the page's controls; the keyboard, the mouse and tests reach the same code.
    // The details refresh of the selected node.
    void tvwRecDef_Click();
    // Record menu item: 0 add, 1 change, 2 delete (after the question), 3 copy.
    void mnuRecDef_Click(int index);
    // A new definition: the file definition, then its first record.
    void cmdNewRec_Click();
    void cmdDefFileOpen_Click();
    void cmdDefFileSave_Click();
    // Opens the "出力形式" dialog on the table's output options.
    void cmdOutputFormat_Click();
    // Field menu item: 0 add, 1 change, 2 delete, 4 up, 5 down, 7 check all, 8 uncheck all.
    void mnuFldDef_Click(int index);
    // Opens the pop-up menus at `globalPos` with their items' states set (the record menu only
    // while a node is selected).
    void showRecordMenu(const QPoint& globalPos);
    void showFieldMenu(const QPoint& globalPos);
    // The input file the preview shows (an absolute path; empty for none).
    void setInputFile(const QString& path);
    // Opens the definition file at `path` (after the unsaved-changes question); true when it
    // was read.
    bool openDefinitionFile(const QString& path);

    // Undo (Ctrl+Z) and redo (Ctrl+Y) of the edits of the definition since it was opened or
    // the page was shown; the tree, the field list and the preview follow.
    void undo();
    void redo();

    // True while the definition holds changes that no file has.
    bool hasUnsavedChanges() const;
    // Before the definition is dropped: with unsaved changes the user is asked whether to save
    // them (save / discard / cancel). True when the definition may go (saved, discarded or
    // unchanged); false when the user cancelled or the save did not happen.
    bool confirmDropDefinition();

    RecordDefTree* tvwRecDef = nullptr;
    FieldDefList* lvwFldDef = nullptr;
    QLabel* lblRecLen = nullptr;
    QLabel* lblClass = nullptr;
    QLabel* lblFldLenSum = nullptr;
    QPushButton* cmdNewRec = nullptr;
    QPushButton* cmdDefFileOpen = nullptr;
    QPushButton* cmdDefFileSave = nullptr;
    QPushButton* cmdOutputFormat = nullptr;
    // The definitions last opened or saved (at most 8, kept in the settings file), as a menu.
    QPushButton* cmdRecentDef = nullptr;
    QMenu* mnuRecentDef = nullptr;
    QSplitter* splitter = nullptr;
    // The definition above, the preview of the input file through it below.
    QSplitter* pageSplitter = nullptr;
    DataPreviewPane* preview = nullptr;
    // mnuTRecDef ("レコード定義") with the items mnuRecDef(0..3).
    QMenu* mnuTRecDef = nullptr;
    QAction* mnuRecDef[4] = {};
    // mnuTFldDef ("フィールド定義") with the items mnuFldDef(0..8); 3 and 6 are separators.
    QMenu* mnuTFldDef = nullptr;
    QAction* mnuFldDef[9] = {};
    // The tool bars over the tree (add, change, delete a record) and over the field list (add,
    // change, delete, move up, move down a field); they run the menus' commands.
    QToolBar* tbrRecDef = nullptr;
    QAction* recordTool[3] = {};
    QToolBar* tbrFldDef = nullptr;
    QAction* fieldTool[5] = {};
    // Undo and redo, as buttons beside "新規作成" and as the page's keys.
    QAction* actUndo = nullptr;
    QAction* actRedo = nullptr;
    QToolButton* cmdUndo = nullptr;
    QToolButton* cmdRedo = nullptr;

  signals:
    // The page's check is to run again (after every edit and every details refresh that ends
    // with no node or with a record that has fields).
    void pageCheckRequested();
    // The definition was edited, undone, opened or saved: whether it holds unsaved changes may
    // have changed.
    void definitionStateChanged();

  private:
    void buildMenus();
    void buildToolBars();
    // The tool bars offer what the menus would offer now.
    void updateToolStates();
    // Shows the field-length sum (or none), as a warning when it misses the record's length.
    void showFieldLengthSum(const std::optional<std::string>& text,
                            const std::optional<std::string>& warning);
    // The preview follows the definition (and shows the fields of the selected record).
    void previewDefinition();
    // Opens frmWizSub for `mode` (field edits on row `sel`); true unless it was cancelled. The
    // tree control follows the model after the record and file edits.
    bool showEditDialog(std::int32_t mode, std::int32_t sel = 0);
    // The tree control shows the model again.
    void showTree();
    void treeSelectionMoved();
    void runFieldCommand(FieldCommand command);
    void fieldRowChecked(int row, bool ticked);
    // Refills the field list of `record` and sets the field-length sum.
    void refillFields(std::int32_t record);
    void placeFields(const FieldListPlacement& placement);
    std::string trdFolder() const;
    // The recent-definitions menu shows the list of the settings file.
    void fillRecentDefinitions();
    // The definition now in a file (`path`) is the one unsaved changes are measured against.
    void definitionStored(const QString& path);
    // After every command: an edit that changed the definition becomes a step to undo.
    void definitionEdited();
    // The tree, the list and the preview show the definition the history put back.
    void showRestoredDefinition();
    void buildUndoActions();

    AppState& state_;
    RecordTree tree_;
    WidgetMessages messages_;
    DefinitionBaseline baseline_;
    DefinitionHistory history_;
};

}  // namespace sorvek
