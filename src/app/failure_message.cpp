#include "app/failure_message.h"

#include "app/untold_kinds.h"
#include "formats/definition_text.h"
#include "ports/app_title.h"

namespace sorvek {
namespace {

// The title of the messages about a job's files, whichever job it is.
constexpr const char* kJobFileTitle = "tranRecLen()";

struct FileLines {
    const char* text;
    const char* label;
};

// The lines before the path of a failure about a job's file.
FileLines fileLines(FailureSubject about) {
    switch (about) {
        case FailureSubject::InputMissing:
            return {"入力ファイルが存在しません。", "fni = "};
        case FailureSubject::InputOpen:
            return {"ファイルのオープンに失敗しました。", "fni = "};
        case FailureSubject::InputRead:
            return {"ファイルの読み込みに失敗しました。", "fni = "};
        case FailureSubject::OutputOpen:
            return {"ファイルのオープンに失敗しました。", "fno = "};
        case FailureSubject::OutputWrite:
            return {"ファイルの書き込みに失敗しました。", "fno = "};
        default:
            return {nullptr, nullptr};
    }
}

std::string failureText(const Failure& f) {
    switch (f.about) {
        case FailureSubject::None:
            if (f.kind == FailureKind::Cancelled && f.reason.empty()) return "変換を中止しました。";
            return f.reason;
        case FailureSubject::RecordLength:
            return "レコード長の指定に誤りがあります。\nレコード長 = " + f.subject;
        case FailureSubject::LineEnding:
            return "改行コードの指定に誤りがあります。\n改行コード = " + f.subject;
        case FailureSubject::JobSwitch:
            return "パラメータに誤りがあります。\nスイッチ = " + f.subject;
        default:
            break;
    }
    const FileLines lines = fileLines(f.about);
    std::string text = std::string(lines.text) + "\n" + lines.label + f.subject;
    // A missing input is said in the first line; it has no reason line.
    if (f.about != FailureSubject::InputMissing && !f.reason.empty()) text += "\n" + f.reason;
    return text;
}

std::string failureTitle(const Failure& f) {
    // A cancel is no failure of the record-length job's files: it gets the application's title.
    if (fileLines(f.about).text != nullptr) return kJobFileTitle;
    if (f.about == FailureSubject::LineEnding) return "tranCrlf()";
    return kAppTitle;
}

}  // namespace

FailureMessage failureMessage(const Failure& failure) {
    const MessageIcon icon = failure.kind == FailureKind::NotDefinitionFile
                                 ? MessageIcon::Information
                                 : MessageIcon::Exclamation;
    return {failureText(failure), failureTitle(failure), icon};
}

void showFailure(const Failure& failure, Messages& messages) {
    const FailureMessage m = failureMessage(failure);
    messages.show(m.text, m.title, m.icon);
}

const char* failureKindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::Failed:
            return "failed";
        case FailureKind::NotFound:
            return "not_found";
        case FailureKind::IsDirectory:
            return "is_directory";
        case FailureKind::Permission:
            return "permission";
        case FailureKind::DeviceOrSocket:
            return "device_or_socket";
        case FailureKind::NoSpace:
            return "no_space";
        case FailureKind::ReadError:
            return "read_error";
        case FailureKind::WriteError:
            return "write_error";
        case FailureKind::InvalidData:
            return "invalid_data";
        case FailureKind::InvalidDefinition:
            return "invalid_definition";
        case FailureKind::NotDefinitionFile:
            return "not_definition_file";
        case FailureKind::RefusedArgument:
            return "refused_argument";
        case FailureKind::Cancelled:
            return "cancelled";
        case FailureKind::NoMemory:
            return "no_memory";
    }
    return "failed";
}

std::vector<FailureMessage> loadFailureMessages(const std::string& path,
                                                const DefinitionLoadFailure& failed) {
    std::vector<FailureMessage> shown;
    if (!failed.notice.reason.empty()) shown.push_back(failureMessage(failed.notice));
    std::string text = path + " の読み込み中にエラーが発生しました。";
    if (!failed.reason.empty()) text += "\n" + failed.reason;
    shown.push_back({text, kAppTitle, MessageIcon::Exclamation});
    return shown;
}

std::string loadFailureText(const std::string& path, const DefinitionLoadFailure& failed) {
    std::string text;
    for (const FailureMessage& m : loadFailureMessages(path, failed)) {
        text += (text.empty() ? "" : "\n") + m.text;
    }
    return text;
}

bool showLoadOutcome(const std::string& path, const DefinitionLoadResult& loaded,
                     Messages& messages) {
    if (!loaded) {
        for (const FailureMessage& m : loadFailureMessages(path, loaded.error())) {
            messages.show(m.text, m.title, m.icon);
        }
        return false;
    }
    // A note, not a failure.
    if (loaded->encoding == TextEncoding::Utf8) {
        messages.show(utf8DefinitionNote(path), kAppTitle, MessageIcon::Information);
    }
    if (loaded->untoldKinds > 1) {
        messages.show(untoldKindsNote(loaded->firstKind, loaded->untoldKinds), kAppTitle,
                      MessageIcon::Information);
    }
    return true;
}

}  // namespace sorvek
