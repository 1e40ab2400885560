#pragma once
// The one place where a failure becomes what the user sees: the message's text (the lines that
// name what failed and where, then the reason), its title and its icon. Every front end shows
// these: the desktop program's message boxes, the console's standard error, the C API's last
// error and the Python module's exceptions.
#include <string>
#include <vector>

#include "formats/load_definition.h"
#include "ports/messages.h"
#include "ports/status.h"

namespace sorvek {

struct FailureMessage {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::Exclamation;
};

// The message of `failure`: about a job's file, "ファイルのオープンに失敗しました。" (or "…読み込み
// …", "…書き込み…"), a line feed, "fni = " or "fno = " and the path, then the reason on a line of
// its own when there is one ("入力ファイルが存在しません。" and the path without one), titled
// "tranRecLen()"; a refused record length or line ending names the value; a cancelled job says
// "変換を中止しました。"; any other failure is its reason, titled with the application title. The
// icon follows the kind: information for the notice that a file is no definition file,
// exclamation for every other failure.
FailureMessage failureMessage(const Failure& failure);

// Shows failureMessage(failure) through `messages`.
void showFailure(const Failure& failure, Messages& messages);

// The kind as lower-case words joined by "_": "not_found", "is_directory", "permission",
// "device_or_socket", "no_space", "read_error", "write_error", "invalid_data",
// "invalid_definition", "not_definition_file", "refused_argument", "cancelled", "no_memory",
// "failed".
const char* failureKindName(FailureKind kind);

// The messages of a failed load of the definition file `path`: the reader's notice when it has
// one, then "<path> の読み込み中にエラーが発生しました。" (exclamation), with the reason on a line
// of its own when there is one.
std::vector<FailureMessage> loadFailureMessages(const std::string& path,
                                                const DefinitionLoadFailure& failed);
// The same as one text, each message on lines of its own, as the console writes them.
std::string loadFailureText(const std::string& path, const DefinitionLoadFailure& failed);

// Shows the outcome of a load of `path`: the failure's messages, or after a success the notes
// (information): that the file was read as UTF-8, when it was; that the kinds of an import
// cannot be told apart (untoldKindsNote), when they cannot. True when the load succeeded.
bool showLoadOutcome(const std::string& path, const DefinitionLoadResult& loaded,
                     Messages& messages);

}  // namespace sorvek
