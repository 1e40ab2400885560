#pragma once
// The windows of one run of the desktop program: one main window for the program's life, the
// wizards it opens, and the way back. The main window is hidden while a wizard runs and shown
// again where it was; each wizard is deleted when it is closed.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

namespace sorvek {

struct AppState;
class frmMain;
class frmWizard;

class DesktopSession : public QObject {
    Q_OBJECT
  public:
    // `settingsPath` gives the settings file's path each time the main window loads.
    explicit DesktopSession(AppState& state, std::function<std::string()> settingsPath = nullptr);

    AppState& state() { return state_; }
    std::string settingsPath() const;

    // Shows the main window, loading it first when there is none (Form_Load sets the settings
    // path).
    frmMain* showMainWindow();
    // Opens the wizard for the job state just prepared, centred on the screen of `from`, which
    // is hidden until the wizard goes.
    frmWizard* openWizard(frmMain* from);
    // The unattended run: the wizard on its execute page, the job run in code, the wizard
    // unloaded. REQUIRES: the job state prepared from the command line. Returns the exit status.
    int runUnattended();

    frmMain* mainWindow() const;
    frmWizard* wizard() const;

  private:
    AppState& state_;
    std::function<std::string()> settingsPath_;
    QPointer<frmMain> main_;
    QPointer<frmWizard> wizard_;
    // Where the main window was (its frame's top left) when a wizard hid it.
    std::optional<QPoint> mainPlace_;
};

}  // namespace sorvek
