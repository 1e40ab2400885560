#pragma once
// frmMain: the three jobs as large buttons with hints in the status bar, and the menus.
#include <QMainWindow>
#include <QMap>

class QAction;
class QMenu;
class QStatusBar;
class QToolButton;

namespace sorvek {

class DesktopSession;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    // Form_Load: computes the settings file's path.
    explicit frmMain(DesktopSession& session, QWidget* parent = nullptr);

    void cmdTrans_Click(int index);
    void cmdTrans_MouseMove(int index);
    void mnuExit_Click();
    void mnuOption_Click();
    void mnuHelp_Click();
    void mnuVersion_Click();

    QToolButton* cmdTrans(int index) const { return cmdTrans_.value(index); }
    QStatusBar* staComment = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuTool = nullptr;
    QMenu* mnuHelp_ = nullptr;
    QAction* mnuBorder = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuOption = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuVersion = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    DesktopSession& session_;
    QMap<int, QToolButton*> cmdTrans_;
};

}  // namespace sorvek
