#include "console/usage_text.h"

#include "app/definition_options.h"
#include "app/job_registry.h"

namespace sorvek {
namespace {

const char kCommonOptions[] =
    "オプション:\n"
    "  -q, --quiet    進行状況を表示しません (エラーは表示します)。\n"
    "  -v, --verbose  処理するファイルと結果を表示します。\n"
    "  --jobs N       N 個のスレッドで分担して変換・点検します。既定の 0 は、この機械で\n"
    "                 速くなる数を選びます (使えるコアが 2 個以下か、入力が 64 MiB 未満\n"
    "                 なら 1)。速くならない N は 1 にします (-v で理由を表示します)。\n"
    "                 出力と点検の報告はスレッドの数によらず同じです。\n"
    "  -h, --help     この説明を表示します。--help /C のようにジョブの説明も表示できます。\n"
    "  --version      バージョンを表示します。\n"
    "  --layouts      同梱のレコード定義 (全銀協フォーマット) の名前と表題を表示します。\n"
    "                 定義ファイルの代わりに名前で指定できます (/C 入力 出力 zengin-sogo)。\n"
    "  --             ここでオプションを終わります (- で始まるファイル名の前に)。\n";

const char kNotes[] =
    "オプションはジョブの引数 (/L /C /E や入力ファイル) より前に書きます。\n"
    "デスクトッププログラム sorvek も同じコマンドラインを受け付けます。\n"
    "スイッチ (/L /C /E) と改行コードは大文字・小文字を区別しません。\n"
    "空白を含むパスは二重引用符で囲んでください。\n"
    "入力ファイルに - を指定すると標準入力から、出力ファイルに - を指定すると標準出力へ\n"
    "変換します。既存の出力ファイルは、変換が成功したときにだけ置き換えられます。\n"
    "メッセージと進行状況は標準エラー出力に表示されます。\n"
    "終了コード: 0 成功、1 変換または定義の読み込みの失敗、2 コマンドラインの誤り、\n"
    "128+シグナル番号 シグナル (Ctrl+C など) による中止 (SIGINT 130、SIGTERM 143)。\n";

}  // namespace

std::string usageText() {
    std::string text = "使い方:\n";
    for (const JobEntry* job : jobRegistry()) text += job->usage;
    return text + "\n" + kCommonOptions + "\n" + definitionOptionsUsage(true) + "\n" + kNotes;
}

std::string jobUsageText(const std::string& commandSwitch) {
    const JobEntry* job = findJobBySwitch(commandSwitch);
    if (job == nullptr) return usageText();
    std::string text = std::string("使い方:\n") + job->usage + "\n" + kCommonOptions;
    // The output options shape what is written through a definition.
    if (job->readsDefinition) text += "\n" + definitionOptionsUsage(job->makesRecords);
    return text;
}

std::string moreHelpText(const std::string& programName) {
    return "詳しくは '" + programName + " --help' を実行してください。\n";
}

}  // namespace sorvek
