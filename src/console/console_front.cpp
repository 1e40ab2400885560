#include "console/console_front.h"

#include <unistd.h>

#include "app/app_state.h"
#include "app/run_job.h"
#include "app/startup.h"
#include "app/version.h"
#include "console/console_ports.h"
#include "console/stop_signals.h"
#include "platform/codepage.h"
#include "platform/stop_request.h"
#include "ports/app_title.h"

namespace sorvek {
namespace {

const char kUsage[] =
    "使い方:\n"
    "  sorvek-cli /L 入力ファイル 出力ファイル レコード長\n"
    "      レコード長変換: 改行を取り除き、指定バイト数ごとに CR LF を入れます。\n"
    "      レコード長 0 は改行無しのデータにします。\n"
    "  sorvek-cli /C 入力ファイル 出力ファイル 定義ファイル\n"
    "      REC→CSV変換: 固定長レコードを定義ファイル(.trd または .rcdef)に従って\n"
    "      区切り文字付きのテキストに変換します。\n"
    "  sorvek-cli /E 入力ファイル 出力ファイル 改行コード\n"
    "      改行コード変換: 改行を CR+LF, CRLF, CR, LF のいずれかに揃えます。\n"
    "\n"
    "デスクトッププログラム sorvek も同じコマンドラインを受け付けます。\n"
    "スイッチ (/L /C /E) と改行コードは大文字・小文字を区別しません。\n"
    "空白を含むパスは二重引用符で囲んでください。\n"
    "入力ファイルに - を指定すると標準入力から、出力ファイルに - を指定すると標準出力へ\n"
    "変換します。既存の出力ファイルは、変換が成功したときにだけ置き換えられます。\n"
    "メッセージと進行状況は標準エラー出力に表示されます。\n"
    "終了コード: 0 成功、1 変換または定義の読み込みの失敗、2 コマンドラインの誤り、\n"
    "128+シグナル番号 シグナル (Ctrl+C など) による中止 (SIGINT 130、SIGTERM 143)。\n"
    "\n"
    "  --help     この説明を表示します。\n"
    "  --version  バージョンを表示します。\n";

bool isHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

}  // namespace

ConsoleStreams processStreams() {
    return ConsoleStreams{stdout, stderr, ::isatty(STDERR_FILENO) == 1};
}

bool isConsoleOnlyRequest(const std::vector<std::string>& args) {
    return args.size() == 1 && (isHelp(args[0]) || args[0] == "--version");
}

int runConsole(const std::vector<std::string>& args, const ConsoleStreams& streams) {
    if (args.size() == 1 && isHelp(args[0])) {
        std::fputs(kUsage, streams.out);
        return kExitSuccess;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::fprintf(streams.out, "%s %s\n", kAppTitle, kVersionText);
        return kExitSuccess;
    }
    if (args.empty()) {
        std::fputs(kUsage, streams.err);
        return kExitRefused;
    }

    if (Status codePages = checkCodePages(); !codePages) {
        std::fprintf(streams.err, "%s\n", codePages.error().message.c_str());
        return kExitFailure;
    }

    ConsoleProgress progress(streams.err, streams.drawProgress);
    ConsoleMessages messages(streams.err, &progress);
    AppState state;
    const StartupOutcome outcome = prepareStartup(args, state, messages);
    if (outcome.action != StartupAction::RunJob) return outcome.exitStatus;

    const StopSignals stopSignals;
    EngineContext context{progress, messages};
    context.cancelled = &stopRequestFlag();
    const bool ok = runJob(state, context);
    progress.endLine();
    if (ok) return kExitSuccess;
    const int stopped = stoppedExitStatus();
    return stopped != 0 ? stopped : kExitFailure;
}

}  // namespace sorvek
