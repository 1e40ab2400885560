#include "console/usage_text.h"

#include "app/job_registry.h"
#include "model/csv_output_options.h"
#include "model/host_data.h"

namespace sorvek {
namespace {

std::string outputOptionsText() {
    return "REC→CSV変換の出力形式 (定義ファイルの指定より優先します):\n"
           "  --encoding " +
           optionWordList(kEncodingWords) +
           "\n"
           "      文字コード。既定は cp932 (Shift-JIS のまま)。utf-8-bom は先頭に BOM "
           "を付けます。\n"
           "  --quote " +
           optionWordList(kQuotingWords) +
           "\n"
           "      引用符。minimal は区切り文字・\"・CR・LF を含む値だけを \"\" で囲み、\n"
           "      値の中の \" は \"\" にします。all はすべての値を囲みます。既定は none。\n"
           "  --trim\n"
           "      文字項目 (X) の末尾の空白 (半角・全角) を取り除きます。\n"
           "  --zoned-sign " +
           optionWordList(kZonedSignWords) +
           "\n"
           "      ゾーン10進数 (9) の符号を読み取り、負の値の先頭に - を付けます。\n"
           "      trailing は最後の桁、leading は最初の桁のゾーンに符号があるものとします。\n"
           "      ('{' 'A'-'I' 正、'}' 'J'-'R' 負、'p'-'y' 負、EBCDIC のゾーン C/F 正・D 負)\n"
           "  --invalid-packed " +
           optionWordList(kInvalidPackedWords) +
           "\n"
           "      パック10進数 (P) の不正な値: keep はそのまま (: から ? の文字)、empty は\n"
           "      空の値、fail はレコード番号・オフセット・フィールド名を示して中止します。\n"
           "  --title-line " +
           optionWordList(kOnOffWords) +
           "\n"
           "      1行目にフィールド名を出力するかどうか。\n"
           "  --input-code-page " +
           inputCodePageNameList() +
           "\n"
           "      入力ファイルの文字コード (定義ファイルの指定より優先)。IBM930/IBM939 は\n"
           "      日本語 EBCDIC (シフトアウト 0E・シフトイン 0F の間が2バイト文字)。\n"
           "  --record-format " +
           optionWordList(kRecordFormatWords) +
           "\n"
           "      レコード形式。v は各レコードの先頭に4バイトのレコード記述語 (RDW)、\n"
           "      vb はさらにブロック記述語 (BDW) 付きのブロックに入ったレコード。\n"
           "  --line-end " +
           optionWordList(kLineEndWords) +
           "\n"
           "      各行の改行。既定は crlf。\n";
}

const char kCommonOptions[] =
    "オプション:\n"
    "  -q, --quiet    進行状況を表示しません (エラーは表示します)。\n"
    "  -v, --verbose  処理するファイルと結果を表示します。\n"
    "  --jobs N       N 個のスレッドで分担して変換・点検します。既定は 1。\n"
    "                 出力と点検の報告は 1 スレッドのときと同じです。\n"
    "  -h, --help     この説明を表示します。--help /C のようにジョブの説明も表示できます。\n"
    "  --version      バージョンを表示します。\n"
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
    return text + "\n" + kCommonOptions + "\n" + outputOptionsText() + "\n" + kNotes;
}

std::string jobUsageText(const std::string& commandSwitch) {
    const JobEntry* job = findJobBySwitch(commandSwitch);
    if (job == nullptr) return usageText();
    std::string text = std::string("使い方:\n") + job->usage + "\n" + kCommonOptions;
    // The output options shape what is written through a definition.
    if (job->readsDefinition) text += "\n" + outputOptionsText();
    return text;
}

std::string moreHelpText(const std::string& programName) {
    return "詳しくは '" + programName + " --help' を実行してください。\n";
}

}  // namespace sorvek
