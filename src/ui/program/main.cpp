// sorvek: the desktop program. Without arguments the main window; with arguments the unattended
// run on the wizard's execute page; without any display the console program's behaviour.
#include <QApplication>
#include <QIcon>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/definition_options.h"
#include "app/startup.h"
#include "console/command_options.h"
#include "console/console_front.h"
#include "platform/codepage.h"
#include "ui/dialogs/message_box.h"
#include "ui/program/desktop_session.h"
#include "ui/program/platform_choice.h"
#include "ui/program/resources.h"
#include "ui/program/translations.h"

namespace {

// What Qt reports while its platform plugin starts; shown only when the plugin it settled on
// is the one wanted (a fallback's complaints about the missing display would only confuse).
QStringList& startupMessages() {
    static QStringList messages;
    return messages;
}

void keepStartupMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    startupMessages().append(message);
}

// Where no window can be shown, the command line runs as in the console program.
int runWithoutDisplay(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs("画面を表示できません (DISPLAY も WAYLAND_DISPLAY も設定されていません)。\n",
                   stderr);
    }
    return sorvek::runConsole(args, sorvek::processStreams("sorvek"));
}

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> rawArgs(argv + 1, argv + argc);
    if (sorvek::isConsoleOnlyRequest(rawArgs)) {
        return sorvek::runConsole(rawArgs, sorvek::processStreams("sorvek"));
    }
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    const bool hadQpa = qpa != nullptr;
    const std::string originalQpa = envOrEmpty("QT_QPA_PLATFORM");
    const sorvek::PlatformChoice choice =
        sorvek::choosePlatform(qpa, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    if (!choice.displayAvailable) return runWithoutDisplay(rawArgs);

    ::setenv("QT_QPA_PLATFORM", choice.platformList.c_str(), 1);
    const QtMessageHandler previous = qInstallMessageHandler(keepStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    // Programs started from here (the browser for the manual) see the environment as it was.
    if (hadQpa) {
        ::setenv("QT_QPA_PLATFORM", originalQpa.c_str(), 1);
    } else {
        ::unsetenv("QT_QPA_PLATFORM");
    }
    if (sorvek::fellBackToOffscreen(choice, QGuiApplication::platformName().toStdString())) {
        return runWithoutDisplay(rawArgs);
    }
    for (const QString& message : startupMessages()) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }

    QApplication::setApplicationName(QStringLiteral("sorvek"));
    // The program speaks Japanese: so do Qt's standard buttons and dialogs.
    sorvek::installQtTranslation(app);
    if (sorvek::Status codePages = sorvek::checkCodePages(); !codePages) {
        sorvek::MessageBox::show(nullptr, QString::fromStdString(codePages.error().reason),
                                 QString(), sorvek::MessageIcon::Critical);
        return sorvek::kExitFailure;
    }
    sorvek::ensureResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/sorvek/sorvek.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("sorvek"));

    // Qt has taken its own options (-platform and the like) out of the arguments.
    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

    sorvek::AppState state;
    sorvek::DesktopSession session(state);
    if (args.empty()) {
        session.showMainWindow();
        return QApplication::exec();
    }
    // The same command line as the console program's: options, then the job's arguments.
    const sorvek::ConsoleCommand command = sorvek::parseConsoleCommand(args);
    if (command.request != sorvek::ConsoleRequest::Job) {
        return sorvek::runConsole(args, sorvek::processStreams("sorvek"));
    }
    sorvek::WidgetMessages messages(nullptr);
    const sorvek::StartupOutcome outcome = sorvek::prepareStartup(command.jobArgs, state, messages);
    if (outcome.action != sorvek::StartupAction::RunJob) return outcome.exitStatus;
    sorvek::applyOverrides(command.overrides, state);
    return session.runUnattended();
}
