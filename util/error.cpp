// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/error.h"

#include <cerrno>
#include <cstring>

namespace corvelle {

std::string SystemErrorText(int err) {
    switch (err) {
        case ENOENT:
            return "ファイルまたはフォルダが見つかりません";
        case EACCES:
            return "アクセスが拒否されました";
        case EPERM:
            return "この操作は許可されていません";
        case EEXIST:
            return "同じ名前のファイルまたはフォルダが既にあります";
        case ENOTEMPTY:
            return "フォルダが空ではありません";
        case ENOTDIR:
            return "フォルダではありません";
        case EISDIR:
            return "フォルダです";
        case ENOSPC:
            return "ディスクの空き領域が足りません";
#ifdef EDQUOT  // not a code every C library has
        case EDQUOT:
            return "ディスクの使用量の上限を超えました";
#endif
        case EROFS:
            return "読み取り専用のファイルシステムです";
        case EBUSY:
            return "使用中です";
        case EXDEV:
            return "別のドライブ(ファイルシステム)にまたがっています";
        case ELOOP:
            return "リンクの参照が多すぎるか、リンクをたどれません";
        case ENAMETOOLONG:
            return "名前またはパスが長すぎます";
        case EIO:
            return "入出力エラーが発生しました";
        case EINVAL:
            return "名前または操作が正しくありません";
        case ETXTBSY:
            return "実行中のプログラムのファイルです";
        case EMLINK:
            return "リンクの数が多すぎます";
        case ECANCELED:
            return "取り消されました";
        case EAGAIN:
            return "項目が途中で変わりました。もう一度お試しください";
        default:
            return std::strerror(err);
    }
}

std::string ErrorText(int number) {
    switch (number) {
        case kErrInvalidCall:
            return "プロシージャの呼び出し、または引数が不正です。";
        case kErrOverflow:
            return "オーバーフローしました。";
        case kErrSubscript:
            return "インデックスが有効範囲にありません。";
        case kErrTypeMismatch:
            return "型が一致しません。";
        case kErrFileNotFound:
            return "ファイルが見つかりません。";
        case kErrPathNotFound:
            return "パスが見つかりません。";
        case kErrFileExists:
            return "既に同名のファイルが存在しています。";
        case kErrPermission:
            return "書き込みできません。";
        case kErrDiskFull:
            return "ディスクの空き容量が不足しています。";
        case kErrPathFile:
            return "パス名が無効です。";
        case kErrIo:
            return "デバイス I/O エラーです。";
        case kErrNoSuchElement:
            return "コントロール配列の要素が存在しません。";
        case kErrOutsideStart:
            return "検索したフォルダの外です";
        case kErrFolderReplaced:
            return "検索の後で別のフォルダに置き換えられました";
        case kErrItemReplaced:
            return "検索の後で別の項目に置き換えられました";
        case kErrReplacedByLink:
            return "フォルダがリンクかファイルに置き換えられています";
        case kErrOtherMount:
            return "別のファイルシステム(マウント)を越えられません";
        case kErrNotFromSearch:
            return "検索で見つけた行ではありません";
        case kErrAfterNotParent:
            return "変更後のフォルダが変更前の親ではありません";
        case kErrSiblingAppeared:
            return "ほかの項目が増えたため処理しません";
        case kErrChangedSincePlan:
            return "計画の後で中身が変わったため処理しません";
        case kErrNotUndoable:
            return "元に戻す処理の記録がありません。";
        case kErrNothingToPutBack:
            return "元に戻す項目が見つかりません";
        case kErrNameTaken:
            return "同じ名前の項目があるため元に戻せません";
        case kErrPartlyPutBack:
            return "一部を元に戻せませんでした";
        case kErrOtherFolderJournal:
            return "この記録は別のフォルダのものです";
        case kErrNotAJournal:
            return "Corvelle の処理記録ではありません";
        case kErrJournalDamaged:
            return "記録ファイルが壊れています";
        case kErrJournalNotOwn:
            return "この記録はこのユーザーだけのものではないため使えません";
        case kErrJournalTooLarge:
            return "記録ファイルが大きすぎます";
        case kErrUndoRunning:
            return "この処理の Undo がほかで実行中です";
        case kErrUnplannedEntry:
            return "計画にない項目があるため処理しません";
        case kErrNoTrash:
            return "ごみ箱に移せません";
        case kErrJunkChanged:
            return "検索の後で変わった不要ファイルがあるため処理しません";
        case kErrJunkNotKept:
            return "不要ファイルを元に戻せるように退避できないため処理しません";
        case kErrRowBelowFailed:
            return "中の行が失敗したため処理しません";
        default:
            return "アプリケーション定義またはオブジェクト定義のエラーです。";
    }
}

Error MakeError(int number) {
    return Error{number, ErrorText(number)};
}

Error KindError(int number, const std::string& path) {
    Error e = MakeError(number);
    e.path = path;
    return e;
}

Error SystemError(int err, const std::string& path) {
    int number = kErrIo;
    switch (err) {
        case ENOENT:
            number = kErrPathNotFound;
            break;
        case EEXIST:
        case ENOTEMPTY:
            number = kErrFileExists;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            number = kErrPermission;
            break;
        case ENOSPC:
#ifdef EDQUOT  // not a code every C library has
        case EDQUOT:
#endif
            number = kErrDiskFull;
            break;
        case ENAMETOOLONG:
        case EINVAL:
        case ENOTDIR:
        case EISDIR:
            number = kErrPathFile;
            break;
        default:
            break;
    }
    std::string text = SystemErrorText(err);
    if (!path.empty())
        text = path + ": " + text;
    Error e{number, text};
    e.sysErrno = err;
    e.path = path;
    return e;
}

std::string ErrorCause(const Error& e) {
    std::string cause;
    if (e.number >= kErrOutsideStart && e.number < kErrKindsEnd)
        cause = ErrorText(e.number);
    else if (e.sysErrno != 0)
        cause = SystemErrorText(e.sysErrno);
    else
        cause = e.description;
    return e.operation.empty() ? cause : e.operation + "できませんでした: " + cause;
}

std::string ErrorMessage(const Error& e) {
    return (e.path.empty() ? std::string() : e.path + ": ") + ErrorCause(e) + e.detail;
}

}  // namespace corvelle
