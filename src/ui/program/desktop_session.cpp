#include "ui/program/desktop_session.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QWindow>

#include "app/app_state.h"
#include "app/run_summary.h"
#include "app/settings.h"
#include "app/startup.h"
#include "console/console_ports.h"
#include "ui/main_window/frm_main.h"
#include "ui/wizard/frm_wizard.h"

namespace sorvek {

DesktopSession::DesktopSession(AppState& state, std::function<std::string()> settingsPath)
    : state_(state), settingsPath_(std::move(settingsPath)) {}

std::string DesktopSession::settingsPath() const {
    return settingsPath_ ? settingsPath_() : settingsFilePath();
}

frmMain* DesktopSession::mainWindow() const {
    return main_;
}

frmWizard* DesktopSession::wizard() const {
    return wizard_;
}

frmMain* DesktopSession::showMainWindow() {
    if (main_ == nullptr) {
        auto* window = new frmMain(*this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        main_ = window;
    } else if (mainPlace_) {
        // Placed again where it was, as a position the window manager is to keep: shown
        // without one, the window would go wherever the window manager puts new windows.
        main_->move(*mainPlace_);
    }
    main_->show();
    // Some window managers place a window mapped again as a new one: once they have, it is
    // moved back.
    if (mainPlace_ && main_->windowHandle() != nullptr) {
        // Some window managers place a window mapped again as a new one, unseen by the toolkit:
        // the frame is asked to go back where it was all the same.
        main_->windowHandle()->setFramePosition(*mainPlace_);
    }
    return main_;
}

frmWizard* DesktopSession::openWizard(frmMain* from) {
    auto* wizard = new frmWizard(state_, nullptr, from);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard_ = wizard;
    // The main window comes back when the wizard goes, before it is hidden, so that the
    // program never runs out of windows in between.
    connect(wizard, &frmWizard::unloaded, this, [this] {
        if (!state_.unattended) showMainWindow();
    });
    wizard->show();
    if (from != nullptr) {
        mainPlace_ = from->pos();
        from->hide();
    }
    return wizard;
}

int DesktopSession::runUnattended() {
    frmWizard wizard(state_);
    wizard_ = &wizard;
    // What the run tells without asking goes to standard error, as the console program's does.
    ConsoleMessages notes(stderr, nullptr);
    wizard.setUnattendedNotes(&notes);
    wizard.cmdNext->setText(QString::fromUtf8(kExecuteCaption));
    wizard.lstParam->clear();
    for (const std::string& line : summaryLines(state_)) {
        wizard.lstParam->addItem(QString::fromStdString(line));
    }
    wizard.cmdCancel->setEnabled(false);
    wizard.show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    wizard.cmdNext_Click();
    const bool ok = wizard.lastRunSucceeded();
    wizard.close();
    return ok ? kExitSuccess : kExitFailure;
}

}  // namespace sorvek
