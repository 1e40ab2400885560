#pragma once
// frmOptions: the two default folders of the settings file. The text boxes are the working copy
// until OK writes them.
#include <QDialog>
#include <string>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace sorvek {

class frmOptions : public QDialog {
    Q_OBJECT
  public:
    // Form_Load: fills both boxes from the settings file at `iniPath`.
    explicit frmOptions(std::string iniPath, QWidget* parent = nullptr);

    void cmdFolderRef_Click(int index);
    // Completes both folders with the separator, writes them and closes; on a failed write
    // shows why and stays open.
    void cmdOK_Click();
    void cmdCancel_Click();

    QTabWidget* tbsOptions = nullptr;
    QWidget* picOptions0 = nullptr;
    QGroupBox* fraSample1_0 = nullptr;
    QGroupBox* fraSample1_1 = nullptr;
    QLineEdit* txtDataFolder = nullptr;
    QLineEdit* txtTrdFolder = nullptr;
    QPushButton* cmdFolderRef0 = nullptr;
    QPushButton* cmdFolderRef1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // A folder box may be saved when it is empty or names a folder; a missing folder is offered
    // to be created, anything else is refused (the box gets the focus).
    bool folderUsable(QLineEdit* box);

    std::string iniPath_;
};

}  // namespace sorvek
