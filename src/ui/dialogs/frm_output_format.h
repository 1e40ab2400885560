#pragma once
// frmOutputFormat ("出力形式"): how the record-to-CSV conversion writes its text, stored with the
// definition. The controls move values between the form (editor/output_format.h) and the
// screen; OK writes the form into the table, Cancel leaves it alone.
#include <QDialog>

#include "editor/output_format.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace sorvek {

class frmOutputFormat : public QDialog {
    Q_OBJECT
  public:
    frmOutputFormat(RecordDefTable& table, QWidget* parent = nullptr);

    void cmdOK_Click();

    QComboBox* cmbFormat = nullptr;
    QComboBox* cmbEncoding = nullptr;
    QComboBox* cmbQuote = nullptr;
    QCheckBox* chkTrim = nullptr;
    QCheckBox* chkSplitKinds = nullptr;
    QComboBox* cmbZonedSign = nullptr;
    QListWidget* lstLeadingSign = nullptr;  // the zoned fields, ticked where the sign leads
    QComboBox* cmbInvalidPacked = nullptr;
    QComboBox* cmbLineEnd = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  private:
    // The form as the controls show it.
    OutputFormatForm formFromControls() const;
    void zonedSignChanged();
    // Greys the options of delimited text while a workbook is chosen.
    void formatChanged();

    RecordDefTable& table_;
    OutputFormatForm form_;
};

}  // namespace sorvek
