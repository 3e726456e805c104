// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/error.h"

#include <cerrno>
#include <cstring>
#include <iterator>

namespace corvelle {

namespace {

// The system errors a file tool meets: their token (the C library's name) and their text for
// the window (Japanese whatever the locale; Windows' C library knows only English).
struct SystemErrorName {
    int err;
    const char* token;
    const char* japanese;
};
constexpr SystemErrorName kSystemErrors[] = {
    {ENOENT, "ENOENT", "ファイルまたはフォルダが見つかりません"},
    {EACCES, "EACCES", "アクセスが拒否されました"},
    {EPERM, "EPERM", "この操作は許可されていません"},
    {EEXIST, "EEXIST", "同じ名前のファイルまたはフォルダが既にあります"},
    {ENOTEMPTY, "ENOTEMPTY", "フォルダが空ではありません"},
    {ENOTDIR, "ENOTDIR", "フォルダではありません"},
    {EISDIR, "EISDIR", "フォルダです"},
    {ENOSPC, "ENOSPC", "ディスクの空き領域が足りません"},
#ifdef EDQUOT  // not a code every C library has
    {EDQUOT, "EDQUOT", "ディスクの使用量の上限を超えました"},
#endif
    {EROFS, "EROFS", "読み取り専用のファイルシステムです"},
    {EBUSY, "EBUSY", "使用中です"},
    {EXDEV, "EXDEV", "別のドライブ(ファイルシステム)にまたがっています"},
    {ELOOP, "ELOOP", "リンクの参照が多すぎるか、リンクをたどれません"},
    {ENAMETOOLONG, "ENAMETOOLONG", "名前またはパスが長すぎます"},
    {EIO, "EIO", "入出力エラーが発生しました"},
    {EINVAL, "EINVAL", "名前または操作が正しくありません"},
    {ETXTBSY, "ETXTBSY", "実行中のプログラムのファイルです"},
    {EMLINK, "EMLINK", "リンクの数が多すぎます"},
    {ECANCELED, "ECANCELED", "取り消されました"},
    {EAGAIN, "EAGAIN", "項目が途中で変わりました。もう一度お試しください"},
};

const SystemErrorName* SystemErrorNamed(int err) {
    for (const SystemErrorName& n : kSystemErrors)
        if (n.err == err)
            return &n;
    return nullptr;
}

// The kinds of failure of a tidy run and its Undo: a token for scripts, a text for people.
struct KindName {
    int number;
    const char* token;
    const char* japanese;
    const char* english;
};
constexpr KindName kKinds[] = {
    {kErrOutsideStart, "outside-start", "検索したフォルダの外です", "outside the folder searched"},
    {kErrFolderReplaced, "folder-replaced", "検索の後で別のフォルダに置き換えられました",
     "replaced by another folder after the search"},
    {kErrItemReplaced, "item-replaced", "検索の後で別の項目に置き換えられました",
     "replaced by another item after the search"},
    {kErrReplacedByLink, "replaced-by-link", "フォルダがリンクかファイルに置き換えられています",
     "the folder was replaced by a link or a file"},
    {kErrOtherMount, "other-mount", "別のファイルシステム(マウント)を越えられません",
     "another file system is mounted there"},
    {kErrNotFromSearch, "not-from-search", "検索で見つけた行ではありません",
     "not a row found by a search"},
    {kErrAfterNotParent, "after-not-parent", "変更後のフォルダが変更前の親ではありません",
     "the folder after is not the parent of the folder before"},
    {kErrSiblingAppeared, "sibling-appeared", "ほかの項目が増えたため処理しません",
     "left alone: more items arrived"},
    {kErrChangedSincePlan, "changed-after-plan", "計画の後で中身が変わったため処理しません",
     "left alone: its contents changed after the plan"},
    {kErrNotUndoable, "not-undoable", "元に戻す処理の記録がありません。",
     "nothing recorded to put back"},
    {kErrNothingToPutBack, "nothing-to-put-back", "元に戻す項目が見つかりません",
     "none of its items were found to put back"},
    {kErrNameTaken, "name-taken", "同じ名前の項目があるため元に戻せません",
     "cannot put back: another item has the name"},
    {kErrPartlyPutBack, "partly-put-back", "一部を元に戻せませんでした",
     "only part of it could be put back"},
    {kErrOtherFolderJournal, "other-folder-journal", "この記録は別のフォルダのものです",
     "this journal belongs to another folder"},
    {kErrNotAJournal, "not-a-journal", "Corvelle の処理記録ではありません",
     "not a Corvelle journal"},
    {kErrJournalDamaged, "journal-damaged", "記録ファイルが壊れています", "the journal is damaged"},
    {kErrJournalNotOwn, "journal-not-own", "この記録はこのユーザーだけのものではないため使えません",
     "the journal is not this user's alone"},
    {kErrJournalTooLarge, "journal-too-large", "記録ファイルが大きすぎます",
     "the journal is too large"},
    {kErrUndoRunning, "undo-running", "この処理の Undo がほかで実行中です",
     "another Undo of this run is going on"},
    {kErrUnplannedEntry, "unplanned-entry", "計画にない項目があるため処理しません",
     "left alone: it holds an item the plan does not"},
    {kErrNoTrash, "no-trash", "ごみ箱に移せません", "cannot be moved to the Trash"},
    {kErrJunkChanged, "junk-changed", "検索の後で変わった不要ファイルがあるため処理しません",
     "left alone: a junk file changed after the search"},
    {kErrJunkNotKept, "junk-not-kept", "不要ファイルを元に戻せるように退避できないため処理しません",
     "left alone: its junk files cannot be kept for Undo"},
    {kErrRowBelowFailed, "row-below-failed", "中の行が失敗したため処理しません",
     "left alone: a row inside it failed"},
};
constexpr bool InOrder() {
    for (size_t i = 0; i < std::size(kKinds); ++i)
        if (kKinds[i].number != kErrOutsideStart + static_cast<int>(i))
            return false;
    return std::size(kKinds) == kErrKindsEnd - kErrOutsideStart;
}
static_assert(InOrder(), "every kind named, in the order of their numbers");

const KindName* KindNamed(int number) {
    if (number < kErrOutsideStart || number >= kErrKindsEnd)
        return nullptr;
    return &kKinds[number - kErrOutsideStart];
}

}  // namespace

std::string SystemErrorText(int err) {
    const SystemErrorName* n = SystemErrorNamed(err);
    return n ? n->japanese : std::strerror(err);
}

std::string ErrorText(int number) {
    if (const KindName* k = KindNamed(number))
        return k->japanese;
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

std::string ErrorToken(const Error& e) {
    if (!e)
        return {};
    if (const KindName* k = KindNamed(e.number))
        return k->token;
    if (e.sysErrno != 0) {
        const SystemErrorName* n = SystemErrorNamed(e.sysErrno);
        return n ? n->token : "errno-" + std::to_string(e.sysErrno);
    }
    return "error-" + std::to_string(e.number);
}

std::string ErrorMessageIn(const Error& e, bool japanese) {
    if (japanese)
        return ErrorMessage(e);
    std::string cause;
    if (const KindName* k = KindNamed(e.number))
        cause = k->english;
    else if (e.sysErrno != 0)
        cause = std::strerror(e.sysErrno);
    else
        cause = "error " + std::to_string(e.number);
    return (e.path.empty() ? std::string() : e.path + ": ") + cause + e.detail;
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
