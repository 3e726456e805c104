// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/error.h"

#include <cerrno>
#include <cstring>

namespace corvelle {

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
        default:
            return "アプリケーション定義またはオブジェクト定義のエラーです。";
    }
}

Error MakeError(int number) {
    return Error{number, ErrorText(number)};
}

Error SystemError(int err, const std::string& what) {
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
        case EDQUOT:
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
    std::string text = std::strerror(err);
    if (!what.empty())
        text = what + ": " + text;
    return Error{number, text};
}

}  // namespace corvelle
