// Permanent deletion through directory handles.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/os/file_op_context.h"

namespace corvelle::fileop {
namespace {

bool DeleteBelow(Context& ctx, int parentDir, const std::string& path, const std::string& name,
                 dev_t device) {
    if (!ctx.Tick(path))
        return false;
    struct stat st;
    if (fstatat(parentDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        ctx.Fail(path, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        // A link goes as the link itself.
        if (unlinkat(parentDir, name.c_str(), 0) == 0)
            return true;
        ctx.Fail(path, errno);
        return false;
    }
    if (st.st_dev != device) {
        ctx.Fail(path, EXDEV);  // another file system mounted below: left alone
        return false;
    }
    const int dir =
        openat(parentDir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        ctx.Fail(path, errno);
        return false;
    }
    std::vector<std::string> names;
    int err = 0;
    bool whole = ListEntries(dir, names, err);
    if (!whole)
        ctx.Fail(path, err);
    for (const std::string& n : names) {
        if (ctx.Cancelled()) {
            whole = false;
            break;
        }
        whole &= DeleteBelow(ctx, dir, path + "/" + n, n, device);
    }
    close(dir);
    if (!whole)
        return false;
    if (unlinkat(parentDir, name.c_str(), AT_REMOVEDIR) == 0)
        return true;
    ctx.Fail(path, errno);
    return false;
}

}  // namespace

bool DeleteEntry(Context& ctx, int parentDir, const std::string& path, const std::string& name) {
    struct stat st;
    if (fstatat(parentDir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        ctx.Fail(path, errno);
        return false;
    }
    return DeleteBelow(ctx, parentDir, path, name, st.st_dev);
}

}  // namespace corvelle::fileop
