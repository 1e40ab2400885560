#pragma once
// frmWizSub: the modal dialog of the definition editor's six edits (new and changed file
// definition, added and changed record, added and changed field), chosen by `EditMode`. It
// moves values between its controls and the editor's functions; they validate, change the
// table and the record tree model. `exec()` gives Accepted once the edit is applied, Rejected
// after a cancel (button, Esc, close box), when nothing has changed.
#include <QDialog>
#include <cstdint>
#include <vector>

#include "editor/edit_dialog.h"
#include "editor/field_def_panel.h"
#include "editor/file_def_panel.h"
#include "editor/record_def_panel.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace sorvek {

class frmWizSub : public QDialog {
    Q_OBJECT
  public:
    // Form_Load: fills the panel of `EditMode` (1 to 6). The record edits act on the selected
    // node of `tree`; the field edits on row `sel` (1-based, 0 for none) of the field list of the
    // selected record. `table` and `tree` must outlive the dialog.
    frmWizSub(std::int32_t EditMode, RecordDefTable& table, RecordTree& tree, std::int32_t sel,
              QWidget* parent = nullptr);

    // Validates and applies; on the first failure shows its message, focuses the input concerned
    // and stays open. Otherwise the dialog closes, accepted.
    void cmdOk_Click();
    // Closes the dialog, rejected.
    void cmdCancel_Click() { reject(); }

    // pnlWiz(0) the buttons, (1) file, (2) record, (3) field.
    QWidget* pnlWiz[4] = {};
    QLineEdit* txtFileDefName = nullptr;
    QCheckBox* chkRecLenAll = nullptr;
    QComboBox* cmbRecLenAll = nullptr;
    QCheckBox* chkRecClass = nullptr;
    QLineEdit* txtRecClassPos = nullptr;
    QLabel* lblRecClassPos = nullptr;
    QCheckBox* chkTitleLine = nullptr;
    QComboBox* cmbDelimiter = nullptr;
    QComboBox* cmbCodePage = nullptr;      // the input's code page
    QComboBox* cmbRecordFormat = nullptr;  // kRecordFormatChoices
    QComboBox* cmbRdwByteOrder = nullptr;  // kDescriptorByteOrderChoices
    QComboBox* cmbRdwLength = nullptr;     // kDescriptorLengthChoices
    QLineEdit* txtRecName = nullptr;
    QLineEdit* txtRecLen = nullptr;
    QLabel* lblRecClass = nullptr;
    QLabel* lblRecVarying = nullptr;  // the record's varying table, when it has one
    QLineEdit* txtRecClass = nullptr;
    QComboBox* cmbRecParent = nullptr;
    QLineEdit* txtFldName = nullptr;
    QComboBox* cmbFldType = nullptr;
    QLineEdit* txtFldSize = nullptr;
    QLabel* lblFldDec = nullptr;
    QLineEdit* txtFldDec = nullptr;
    // The host forms, in the group fraHostForm: each enabled only for the types it applies to.
    QGroupBox* fraHostForm = nullptr;
    QLabel* lblFldSign = nullptr;
    QComboBox* cmbFldSign = nullptr;  // kSignChoices
    QLabel* lblFldBinary = nullptr;
    QCheckBox* chkFldSigned = nullptr;
    QLabel* lblFldByteOrder = nullptr;
    QComboBox* cmbFldByteOrder = nullptr;  // kByteOrderChoices
    QLabel* lblFldScale = nullptr;
    QLineEdit* txtFldScale = nullptr;
    QLabel* lblFldScaleNote = nullptr;
    // The marks, in the group fraFldMarks: a numeric field's control total, a text field's
    // half-width mark; each enabled only where it applies.
    QGroupBox* fraFldMarks = nullptr;
    QLabel* lblFldTotal = nullptr;
    QComboBox* cmbFldTotal = nullptr;  // kTotalChoices
    QLabel* lblFldTotalRecord = nullptr;
    QComboBox* cmbFldTotalRecord = nullptr;  // totalRecordChoices, the record index as data
    QLabel* lblFldTotalField = nullptr;
    QComboBox* cmbFldTotalField = nullptr;  // totalFieldChoices, the field number as data
    QLabel* lblFldTotalGroup = nullptr;
    QComboBox* cmbFldTotalGroup = nullptr;  // totalGroupChoices, the record index as data
    QCheckBox* chkFldSingle = nullptr;
    QCheckBox* chkFldUpper = nullptr;
    QPlainTextEdit* txtFldMemo = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QStatusBar* staComment = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* buildFilePanel();
    QWidget* buildRecordPanel();
    QWidget* buildFieldPanel();
    QGroupBox* buildHostFormGroup(QWidget* panel);
    QGroupBox* buildMarksGroup(QWidget* panel);
    QWidget* buildButtonPanel();
    void setTabOrderOfAll();
    void watchKeys(QWidget* control);
    // Gives the focus to the control after `from` in the focus order that can take it (shown and
    // enabled), coming round to the first after the last.
    void focusNextInOrder(QWidget* from);
    void Form_Load();

    // The enabling rules.
    void chkRecLenAll_Click();
    void chkRecClass_Click();
    void cmbDelimiter_Change();
    void cmbFldType_Change();
    // Enables the marks' controls for the inputs; fills the summed fields of the chosen record,
    // keeping the one chosen where it still is one.
    void enableMarks();
    void fillSummedFields(std::int32_t keep);
    void showMarks(const FieldInput& input);
    void showFileInput(const FileDefInput& input);

    FileDefInput fileInput() const;
    RecordInput recordInput() const;
    FieldInput fieldInput() const;
    QWidget* control(EditControl which) const;

    const std::int32_t editMode_;
    RecordDefTable& table_;
    RecordTree& tree_;
    std::int32_t record_;
    std::int32_t sel_;
    // Every control Enter moves through, in the focus order: the inputs of all panels, then OK
    // and Cancel.
    std::vector<QWidget*> focusOrder_;
};

}  // namespace sorvek
