#include "ui/console_run.h"

#include <unistd.h>

#include <cstdio>

#include "app/app_state.h"
#include "app/run_job.h"
#include "app/startup.h"
#include "cli/console_ports.h"

namespace sorvek {

int runWithoutDisplay(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(
            "画面を表示できません (DISPLAY も WAYLAND_DISPLAY も設定されていません)。\n"
            "コマンドラインで変換するには、sorvek /L|/C|/E 入力ファイル 出力ファイル "
            "パラメータ のように指定してください。\n",
            stderr);
        return kExitFailure;
    }
    ConsoleProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
    ConsoleMessages messages(stderr, &progress);
    AppState state;
    const StartupOutcome outcome = prepareStartup(args, state, messages);
    if (outcome.action != StartupAction::RunJob) return outcome.exitStatus;
    EngineContext context{progress, messages};
    const bool ok = runJob(state, context);
    progress.endLine();
    return ok ? kExitSuccess : kExitFailure;
}

}  // namespace sorvek
