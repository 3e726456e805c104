// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/journal_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/os/file_write.h"
#include "platform/os/folders.h"
#include "platform/os/local_time.h"
#include "util/paths.h"

namespace corvelle {
namespace {

constexpr const char* kSuffix = ".journal";

// The journal folder, made 0700 where missing, used only when it is a real folder of the
// user's that nobody else may write to.
Error OpenJournalFolder(UniqueFd& dir, bool create) {
    const std::string folder = JournalFolder();
    if (create && !MakeFolders(folder))
        return SystemError(errno, folder);
    std::string leaf;
    const UniqueFd parent = OpenParentOf(folder, leaf);
    dir = parent.Valid() ? OpenFolderAt(parent.Get(), leaf) : UniqueFd();
    struct stat st;
    if (!dir.Valid() || fstat(dir.Get(), &st) != 0)
        return SystemError(errno == ENOTDIR ? ELOOP : errno, folder);
    if (st.st_uid != geteuid() || (st.st_mode & S_IWOTH)) {
        dir.Reset();
        return KindError(kErrJournalNotOwn, folder);
    }
    return {};
}

// Reads whole lines from fd into the parser, none longer than kMaxJournalLine.
Error ParseFrom(int fd, RunJournal& j) {
    JournalParser parser(j);
    std::string line;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return SystemError(errno);
        if (n == 0)
            return parser.End();  // a last line without its end is dropped
        for (const char* p = buf; p < buf + n;) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', buf + n - p));
            line.append(p, nl ? nl : buf + n);
            if (line.size() > kMaxJournalLine) {
                Error e = MakeError(kErrJournalDamaged);
                e.detail = " (行が長すぎます)";
                return e;
            }
            if (!nl)
                break;
            if (Error e = parser.Line(line))
                return e;
            line.clear();
            p = nl + 1;
        }
    }
}

}  // namespace

std::string JournalFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == kSep)
        return AddBackslash(state) + "corvelle/journal";
    return AddBackslash(WindowsDirGet()) + ".local/state/corvelle/journal";
}

Error OpenTrustedJournal(const std::string& path, bool append, UniqueFd& fd) {
    // Non-blocking: a FIFO or a device under a journal's name must not stall the open.
    fd.Reset(open(path.c_str(),
                  (append ? O_RDWR | O_APPEND : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd.Valid() || fstat(fd.Get(), &st) != 0) {
        Error e = SystemError(errno, path);
        fd.Reset();
        return e;
    }
    Error refused;
    if (!S_ISREG(st.st_mode)) {
        refused = KindError(kErrNotAJournal, path);
        refused.detail = " (通常のファイルではありません)";
    }
    else if (st.st_uid != geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)))
        refused = KindError(kErrJournalNotOwn, path);
    else if (st.st_size > kMaxJournalBytes)
        refused = KindError(kErrJournalTooLarge, path);
    if (refused)
        fd.Reset();
    return refused;
}

Error JournalFile::Create(const RunJournal& plan) {
    const std::string folder = JournalFolder();
    if (Error e = OpenJournalFolder(dir_, true))
        return e;
    const std::string stamp = LocalTimeText("%Y%m%d-%H%M%S");
    for (int n = 1; n < 1000 && !fd_.Valid(); ++n) {
        // Zero-padded, so that names sort by time within one second too.
        char serial[16];
        std::snprintf(serial, sizeof serial, "%03d", n);
        const std::string name = stamp + "-" + std::to_string(getpid()) + "-" + serial + kSuffix;
        fd_.Reset(openat(dir_.Get(), name.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (fd_.Valid())
            path_ = AddBackslash(folder) + name;
        else if (errno != EEXIST)
            break;
    }
    const std::string text = FormatJournalPlan(plan);
    if (!fd_.Valid() || flock(fd_.Get(), LOCK_EX | LOCK_NB) != 0 ||
        !WriteAll(fd_.Get(), text.data(), text.size()) || fdatasync(fd_.Get()) != 0 ||
        fsync(dir_.Get()) != 0) {
        Error error = SystemError(errno, path_.empty() ? folder : path_);
        if (!path_.empty())
            unlinkat(dir_.Get(), PathLeaf(path_).c_str(), 0);
        fd_.Reset();
        return error;
    }
    return {};
}

Error JournalFile::Open(const std::string& path, RunJournal& j) {
    if (Error e = OpenTrustedJournal(path, true, fd_))
        return e;
    if (flock(fd_.Get(), LOCK_EX | LOCK_NB) != 0) {
        fd_.Reset();
        return errno == EWOULDBLOCK ? KindError(kErrUndoRunning, path) : SystemError(errno, path);
    }
    path_ = path;
    Error e = ParseFrom(fd_.Get(), j);
    if (e) {
        e.path = path;
        fd_.Reset();
    }
    return e;
}

void JournalFile::Append(const std::string& record) {
    pending_ += record;
    if (pending_.size() >= size_t{64} * 1024)
        Flush();
}

bool JournalFile::Flush() {
    const bool ok = fd_.Valid() && WriteAll(fd_.Get(), pending_.data(), pending_.size());
    pending_.clear();
    return ok;
}

bool JournalFile::Sync() {
    return Flush() && fdatasync(fd_.Get()) == 0;
}

Error LoadJournal(const std::string& path, RunJournal& j) {
    UniqueFd fd;
    Error error = OpenTrustedJournal(path, false, fd);
    if (!error)
        error = ParseFrom(fd.Get(), j);
    if (error)
        error.path = path;
    return error;
}

namespace {

// The first lines of a journal and its progress records from the end back to the last
// record of the run itself, without reading the plan in between.
void Peek(JournalListing& l) {
    UniqueFd fd;
    struct stat st;
    if ((l.error = OpenTrustedJournal(l.path, false, fd)) || fstat(fd.Get(), &st) != 0) {
        if (!l.error)
            l.error = SystemError(errno, l.path);
        return;
    }
    l.inUse = flock(fd.Get(), LOCK_SH | LOCK_NB) != 0;
    std::string head(static_cast<size_t>(std::min<off_t>(st.st_size, off_t{64} * 1024)), '\0');
    if (pread(fd.Get(), head.data(), head.size(), 0) != static_cast<ssize_t>(head.size())) {
        l.error = SystemError(errno ? errno : EIO, l.path);
        return;
    }
    if ((l.error = ParseJournalHeader(head, l.journal))) {
        l.error.path = l.path;
        return;
    }
    // Backwards, a block at a time, one whole line after another. `tail` holds the bytes
    // from `at` up to the lines already looked at.
    std::string tail;
    off_t at = st.st_size;
    bool cut = true;  // the very last bytes may be a line that a crash cut short
    for (;;) {
        const size_t last = tail.size() >= 2 ? tail.rfind('\n', tail.size() - 2) : std::string::npos;
        if (cut && !tail.empty() && tail.back() != '\n') {
            const size_t nl = tail.rfind('\n');
            if (nl != std::string::npos || at == 0) {
                tail.resize(nl == std::string::npos ? 0 : nl + 1);
                cut = false;
                continue;
            }
        } else if (!tail.empty() && (last != std::string::npos || at == 0)) {
            cut = false;
            const size_t begin = last == std::string::npos ? 0 : last + 1;
            const std::string line = tail.substr(begin, tail.size() - 1 - begin);
            tail.resize(begin);
            if (line == "undone") {
                l.journal.undone = true;
            } else if (line.rfind("undo ", 0) == 0 || line.rfind("remade ", 0) == 0) {
                l.undoBegun = true;
            } else {
                l.journal.finished = line == "end";
                return;
            }
            continue;
        }
        if (at == 0 || tail.size() > kMaxJournalLine)
            return;
        const off_t take = std::min<off_t>(at, 4096);
        std::string block(static_cast<size_t>(take), '\0');
        if (pread(fd.Get(), block.data(), block.size(), at - take) != take) {
            l.error = SystemError(errno ? errno : EIO, l.path);
            return;
        }
        at -= take;
        tail.insert(0, block);
    }
}

}  // namespace

std::vector<JournalListing> ListJournals(bool whole) {
    std::vector<JournalListing> out;
    UniqueFd dir;
    std::vector<std::string> names;
    int err = 0;
    if (Error e = OpenJournalFolder(dir, false)) {
        // A folder that is there but not the user's alone is said; a missing one is empty.
        if (e.number == kErrJournalNotOwn || e.sysErrno == ELOOP) {
            JournalListing l;
            l.path = JournalFolder();
            l.error = e;
            out.push_back(std::move(l));
        }
        return out;
    }
    if (!ReadNames(dir.Get(), names, err))
        return out;
    const std::string folder = JournalFolder();
    const std::string suffix = kSuffix;
    for (const std::string& n : names) {
        if (n.size() <= suffix.size() || n.compare(n.size() - suffix.size(), suffix.size(), suffix))
            continue;
        JournalListing l;
        l.path = AddBackslash(folder) + n;
        if (whole) {
            UniqueFd fd;
            if (!(l.error = OpenTrustedJournal(l.path, false, fd))) {
                l.inUse = flock(fd.Get(), LOCK_SH | LOCK_NB) != 0;
                if ((l.error = ParseFrom(fd.Get(), l.journal)))
                    l.error.path = l.path;
            }
            if (!l.error)
                l.rows = static_cast<long>(l.journal.rows.size());
            l.undoBegun = !l.journal.undo.empty() || !l.journal.remade.empty();
        } else {
            Peek(l);
        }
        out.push_back(std::move(l));
    }
    // The names begin with the date: newest first.
    std::sort(out.begin(), out.end(),
              [](const JournalListing& a, const JournalListing& b) { return a.path > b.path; });
    return out;
}

void PruneJournals() {
    const time_t monthAgo = time(nullptr) - time_t{30} * 24 * 3600;
    int kept = 0;
    for (const JournalListing& l : ListJournals()) {
        ++kept;
        if (l.error || l.inUse || l.Interrupted() || l.UndoIncomplete())
            continue;  // never removed on our own: the user decides
        struct stat st;
        if (kept > 50 || (lstat(l.path.c_str(), &st) == 0 && st.st_mtime < monthAgo))
            unlink(l.path.c_str());
    }
}

Error ForgetJournal(const std::string& path) {
    RunJournal j;
    UniqueFd fd;
    Error error = OpenTrustedJournal(path, false, fd);
    if (!error && flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        error = errno == EWOULDBLOCK ? KindError(kErrUndoRunning, path) : SystemError(errno, path);
    if (!error && (error = ParseFrom(fd.Get(), j)))
        error.path = path;
    if (!error && unlink(path.c_str()) != 0)
        error = SystemError(errno, path);
    return error;
}

}  // namespace corvelle
