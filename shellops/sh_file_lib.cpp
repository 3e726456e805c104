// SPDX-License-Identifier: GPL-3.0-or-later
#include "shellops/sh_file_lib.h"

#include <exception>

#include "platform/os/message_service.h"
#include "util/paths.h"

namespace corvelle {
namespace {

std::function<int(const FileOpRecord&)>& OperationSeam() {
    static std::function<int(const FileOpRecord&)> op;
    return op;
}

// One trailing separator goes; the root "/" keeps its own.
std::string Tidy(const std::string& path) {
    if (path.size() > 1 && path.back() == kSep)
        return path.substr(0, path.size() - 1);
    return path;
}

int Call(OwnerHandle owner, unsigned func, const std::string& from, const std::string& to,
         unsigned flags) {
    const FileOpRecord rec{owner, func, from, to, flags};
    if (OperationSeam())
        return OperationSeam()(rec);
    // The shell's result number is the operation's error number; 0 when all of it took place.
    return FileOperation(rec).number;
}

// Errors inside the wrapper itself (not failures of the operation) get a warning box. The
// operation did not run to its end then, so the result says failure, never success.
int Guarded(const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        MessageService::Show(e.what(), MsgIcon::Exclamation, MsgButtons::Ok);
    } catch (...) {
        MessageService::Show("予期しないエラーが発生しました。", MsgIcon::Exclamation,
                             MsgButtons::Ok);
    }
    return kOpBadRequest;
}

}  // namespace

void SetShellOperation(std::function<int(const FileOpRecord&)> op) {
    OperationSeam() = std::move(op);
}

int ShFileCopy(OwnerHandle owner, const std::string& source, const std::string& destination) {
    if (source.empty() || destination.empty())
        return 0;
    return Guarded([&] { return Call(owner, FO_COPY, Tidy(source), destination, 0); });
}

int ShFileMove(OwnerHandle owner, const std::string& source, const std::string& destination) {
    if (source.empty() || destination.empty())
        return 0;
    return Guarded([&] { return Call(owner, FO_MOVE, Tidy(source), destination, 0); });
}

int ShFileDelete(OwnerHandle owner, const std::string& path, bool recycle) {
    if (path.empty())
        return 0;
    const unsigned flags = recycle ? FOF_ALLOWUNDO | FOF_NOCONFIRMATION : FOF_NOCONFIRMATION;
    return Guarded([&] { return Call(owner, FO_DELETE, Tidy(path), {}, flags); });
}

int ShFileRename(OwnerHandle owner, const std::string& oldPath, const std::string& newPath) {
    if (oldPath.empty() || newPath.empty())
        return 0;
    return Guarded([&] { return Call(owner, FO_RENAME, Tidy(oldPath), Tidy(newPath), 0); });
}

int ShFileRenameNoErrorUI(OwnerHandle owner, const std::string& oldPath,
                          const std::string& newPath) {
    if (oldPath.empty() || newPath.empty())
        return 0;
    return Call(owner, FO_RENAME, Tidy(oldPath), Tidy(newPath), FOF_NOERRORUI);
}

}  // namespace corvelle
