#include "ui/main_window/frm_main.h"
#include "ports/app_title.h"
#include "ui/program/resources.h"

#include <QEvent>
#include <QGridLayout>
#include <QIcon>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolButton>

#include "app/app_state.h"
#include "app/job_registry.h"
#include "ui/dialogs/frm_about.h"
#include "ui/dialogs/frm_options.h"
#include "ui/program/desktop_session.h"
#include "ui/program/help.h"

namespace sorvek {

frmMain::frmMain(DesktopSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    ensureResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/sorvek/sorvek.svg")));

    mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuBorder = mnuFile->addSeparator();
    mnuBorder->setObjectName(QStringLiteral("mnuBorder"));
    mnuExit = mnuFile->addAction(QStringLiteral("終了(&X)"), this, &frmMain::mnuExit_Click);
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuTool = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    mnuTool->setObjectName(QStringLiteral("mnuTool"));
    mnuOption =
        mnuTool->addAction(QStringLiteral("オプション設定(&O)"), this, &frmMain::mnuOption_Click);
    mnuOption->setObjectName(QStringLiteral("mnuOption"));
    mnuHelp_ = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp_->setObjectName(QStringLiteral("mnuHelp_"));
    mnuHelp =
        mnuHelp_->addAction(QStringLiteral("Sorvek ヘルプ(&P)"), this, &frmMain::mnuHelp_Click);
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->setShortcut(QKeySequence(Qt::Key_F1));
    mnuVersion =
        mnuHelp_->addAction(QStringLiteral("バージョン情報(&A)"), this, &frmMain::mnuVersion_Click);
    mnuVersion->setObjectName(QStringLiteral("mnuVersion"));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmMainArea"));
    central->setMouseTracking(true);
    central->installEventFilter(this);
    auto* layout = new QGridLayout(central);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setHorizontalSpacing(18);
    int column = 0;
    for (const JobEntry* entry : jobRegistry()) {
        if (entry->buttonIndex < 0) continue;
        const JobEntry& job = *entry;
        auto* button = new QToolButton(central);
        button->setObjectName(QStringLiteral("cmdTrans_%1").arg(job.buttonIndex));
        button->setText(QString::fromUtf8(job.title));
        button->setIcon(QIcon(QStringLiteral(":/sorvek/%1.svg").arg(QLatin1String(job.iconName))));
        button->setIconSize(QSize(48, 48));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setMinimumSize(150, 100);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setMouseTracking(true);
        button->installEventFilter(this);
        const int index = job.buttonIndex;
        connect(button, &QToolButton::clicked, this, [this, index] { cmdTrans_Click(index); });
        cmdTrans_.insert(index, button);
        layout->addWidget(button, 0, column++);
    }
    setCentralWidget(central);

    staComment = statusBar();
    staComment->setObjectName(QStringLiteral("staComment"));
    staComment->setSizeGripEnabled(false);

    // Form_Load.
    session_.state().IniFilePath = session_.settingsPath();
}

void frmMain::cmdTrans_Click(int index) {
    if (!startJob(index, session_.state().job)) return;
    session_.openWizard(this);
}

void frmMain::cmdTrans_MouseMove(int index) {
    staComment->showMessage(QString::fromStdString(jobHint(index)));
}

void frmMain::mnuExit_Click() {
    close();
}

void frmMain::mnuOption_Click() {
    frmOptions dialog(session_.state().IniFilePath, this);
    dialog.exec();
}

void frmMain::mnuHelp_Click() {
    openManual(this);
}

void frmMain::mnuVersion_Click() {
    frmAbout dialog(this);
    dialog.exec();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        for (auto it = cmdTrans_.cbegin(); it != cmdTrans_.cend(); ++it) {
            if (it.value() == watched) {
                cmdTrans_MouseMove(it.key());
                return QMainWindow::eventFilter(watched, event);
            }
        }
        // Form_MouseMove: over the window's free area the hint goes. A move over a button that
        // the button leaves unhandled reaches the area too; it keeps the button's hint.
        if (event->type() == QEvent::MouseMove && watched == centralWidget()) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
            bool overButton = false;
            for (const QToolButton* button : std::as_const(cmdTrans_)) {
                overButton = overButton || button->geometry().contains(pos);
            }
            if (!overButton) staComment->clearMessage();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace sorvek
