#include "console/console_front.h"

#include <unistd.h>

#include "app/app_state.h"
#include "app/check_report.h"
#include "app/record_data_check.h"
#include "app/run_job.h"
#include "app/startup.h"
#include "app/version.h"
#include "console/check_command.h"
#include "console/console_ports.h"
#include "platform/codepage.h"
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
    "  sorvek-cli --check [--json] 入力ファイル [定義ファイル]\n"
    "      点検: ファイルを最後まで読み、改行、テキストかレコードデータか、レコード長の\n"
    "      候補を、定義ファイルがあれば変換で起きること (識別区分の不明なレコード、\n"
    "      不完全なレコード、正しくない値など) を報告します。何も書き出しません。\n"
    "      --json を付けると JSON で出力します。終了コード: 0 問題なし、1 問題あり。\n"
    "\n"
    "デスクトッププログラム sorvek も同じコマンドラインを受け付けます。\n"
    "スイッチ (/L /C /E) と改行コードは大文字・小文字を区別しません。\n"
    "空白を含むパスは二重引用符で囲んでください。\n"
    "メッセージと進行状況は標準エラー出力に表示されます。\n"
    "終了コード: 0 成功、1 変換または定義の読み込みの失敗、2 コマンドラインの誤り。\n"
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
    return (args.size() == 1 && (isHelp(args[0]) || args[0] == "--version")) ||
           isCheckCommand(args);
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
    if (isCheckCommand(args)) return runCheckCommand(args, streams);

    ConsoleProgress progress(streams.err, streams.drawProgress);
    ConsoleMessages messages(streams.err, &progress);
    AppState state;
    const StartupOutcome outcome = prepareStartup(args, state, messages);
    if (outcome.action != StartupAction::RunJob) return outcome.exitStatus;

    // The console never asks: it warns and runs the job.
    if (const auto recordData = recordDataInInput(state.job)) {
        messages.show(recordDataWarning(*recordData, state.job.JobTitle), kAppTitle,
                      MessageIcon::Exclamation);
    }
    EngineContext context{progress, messages};
    const bool ok = runJob(state, context);
    progress.endLine();
    return ok ? kExitSuccess : kExitFailure;
}

}  // namespace sorvek
