#include "platform/system_error.h"

#include <cerrno>

namespace sorvek {

std::string systemErrorText(int error) {
    switch (error) {
        case ENOENT:
            return "ファイルまたはフォルダが存在しません。";
        case ENOTDIR:
            return "パスの途中にフォルダではないものがあります。";
        case EACCES:
        case EPERM:
            return "アクセスが拒否されました。";
        case ENOSPC:
#ifdef EDQUOT  // not on Windows
        case EDQUOT:
#endif
            return "ディスクの空き容量が不足しています。";
        case EROFS:
            return "読み取り専用のファイルシステムです。";
        case EISDIR:
            return "フォルダが指定されています。";
        case EIO:
            return "入出力エラーが発生しました。";
        case ENAMETOOLONG:
            return "パスが長すぎます。";
        case EMFILE:
        case ENFILE:
            return "開いているファイルが多すぎます。";
        case EFBIG:
            return "ファイルが大きすぎます。";
        case ELOOP:
            return "シンボリックリンクが多すぎるか、循環しています。";
        case EBUSY:
        case ETXTBSY:
            return "ファイルが使用中です。";
        case EXDEV:
            return "別のファイルシステムへは移動できません。";
        case EPIPE:
            return "書き込み先が閉じられました。";
        case ENXIO:
        case ENODEV:
            return "デバイスがありません。";
        case EINTR:
            return "処理が中断されました。";
        default:
            return "システムエラーが発生しました (errno " + std::to_string(error) + ")。";
    }
}

FailureKind systemFailureKind(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FailureKind::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return FailureKind::Permission;
        case EISDIR:
            return FailureKind::IsDirectory;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return FailureKind::NoSpace;
        case ENXIO:
        case ENODEV:
            return FailureKind::DeviceOrSocket;
        case ENOMEM:
            return FailureKind::NoMemory;
        case EINTR:
            return FailureKind::Cancelled;
        default:
            return FailureKind::Failed;
    }
}

Failure systemFailure(int error) {
    return failure(systemErrorText(error), systemFailureKind(error));
}

}  // namespace sorvek
