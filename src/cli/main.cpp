// sorvek-cli: the jobs of the desktop program's command line, without any window.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/run_job.h"
#include "app/startup.h"
#include "app/version.h"
#include "cli/console_ports.h"

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
    "スイッチ (/L /C /E) と改行コードは大文字・小文字を区別しません。\n"
    "空白を含むパスは二重引用符で囲んでください。\n"
    "メッセージと進行状況は標準エラー出力に表示されます。\n"
    "終了コード: 0 成功、1 変換または定義の読み込みの失敗、2 コマンドラインの誤り。\n"
    "\n"
    "  --help     この説明を表示します。\n"
    "  --version  バージョンを表示します。\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return sorvek::kExitSuccess;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("sorvek-cli %s\n", sorvek::kVersionText);
        return sorvek::kExitSuccess;
    }
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return sorvek::kExitRefused;
    }

    sorvek::ConsoleProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
    sorvek::ConsoleMessages messages(stderr, &progress);
    sorvek::AppState state;
    sorvek::StartupOutcome outcome = sorvek::prepareStartup(args, state, messages);
    if (outcome.action != sorvek::StartupAction::RunJob) return outcome.exitStatus;

    sorvek::EngineContext context{progress, messages};
    bool ok = sorvek::runJob(state, context);
    progress.endLine();
    return ok ? sorvek::kExitSuccess : sorvek::kExitFailure;
}
