#pragma once
// frmAbout: the program's name, version and a few words about it.
#include <QDialog>

class QLabel;
class QPushButton;

namespace sorvek {

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);

    // "version 1.00": major, a full stop, then minor and revision without a separator.
    static QString versionText(int major, int minor, int revision);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace sorvek
