// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/journal_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/os/file_write.h"
#include "platform/os/folder_changes.h"
#include "platform/os/folders.h"
#include "platform/os/local_time.h"
#include "platform/os/own_files.h"
#include "tidy/junk_files.h"
#include "util/paths.h"

namespace corvelle {
namespace {

constexpr const char* kSuffix = ".journal";

// The journal folder, made private where missing, used only when it is the user's alone.
Error OpenJournalFolder(UniqueFd& dir, bool create) {
    return OpenOwnFolder(JournalFolder(), create, dir);
}

// Reads whole lines from fd into the parser, none longer than kMaxJournalLine.
Error ParseFrom(int fd, RunJournal& j) {
    JournalParser parser(j);
    std::string line;
    char buf[65536];
    for (;;) {
        const long n = ReadSome(fd, buf, sizeof buf);
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

Error OpenTrustedJournal(const std::string& path, bool append, UniqueFd& fd) {
    return OpenOwnFile(path, append, kMaxJournalBytes, fd);
}

std::string KeptPathOf(const std::string& journalPath) {
    const std::string suffix = kSuffix;
    const bool journal =
        journalPath.size() > suffix.size() &&
        journalPath.compare(journalPath.size() - suffix.size(), suffix.size(), suffix) == 0;
    return (journal ? journalPath.substr(0, journalPath.size() - suffix.size()) : journalPath) +
           ".kept";
}

Error KeptContents::Read(const JunkFile& junk, std::string& contents) {
    const std::string path = KeptPathOf(journal_);
    if (!fd_.Valid()) {
        if (Error e = OpenOwnFile(path, false, kMaxJournalBytes, fd_))
            return e;
    }
    contents.assign(static_cast<size_t>(junk.size), '\0');
    if (!ReadAt(fd_.Get(), static_cast<long long>(junk.kept), contents.data(), contents.size()))
        return SystemError(errno, path);
    if (ContentHash(contents) != junk.hash) {
        Error e = MakeError(kErrJournalDamaged);
        e.detail = " (" + path + ")";
        return e;
    }
    return {};
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
        const std::string name = stamp + "-" + std::to_string(ProcessId()) + "-" + serial + kSuffix;
        if (CreateOwnFileAt(dir_.Get(), name, fd_))
            path_ = AddBackslash(folder) + name;
        else if (errno != EEXIST)
            break;
    }
    const std::string text = FormatJournalPlan(plan);
    if (!fd_.Valid() || !TryLock(fd_.Get(), true) ||
        !WriteAll(fd_.Get(), text.data(), text.size()) || !SyncData(fd_.Get()) ||
        !SyncFolder(dir_.Get())) {
        Error error = SystemError(errno, path_.empty() ? folder : path_);
        if (!path_.empty())
            RemoveFileAt(dir_.Get(), PathLeaf(path_));
        fd_.Reset();
        return error;
    }
    return {};
}

Error JournalFile::Open(const std::string& path, RunJournal& j) {
    if (Error e = OpenTrustedJournal(path, true, fd_))
        return e;
    if (!TryLock(fd_.Get(), true)) {
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
    return Flush() && SyncData(fd_.Get());
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
    long long size = 0;
    if ((l.error = OpenTrustedJournal(l.path, false, fd)) || (size = SizeOf(fd.Get())) < 0) {
        if (!l.error)
            l.error = SystemError(errno, l.path);
        return;
    }
    l.inUse = !TryLock(fd.Get(), false);
    std::string head(static_cast<size_t>(std::min(size, 64LL * 1024)), '\0');
    if (!ReadAt(fd.Get(), 0, head.data(), head.size())) {
        l.error = SystemError(errno, l.path);
        return;
    }
    if ((l.error = ParseJournalHeader(head, l.journal))) {
        l.error.path = l.path;
        return;
    }
    // Backwards, a block at a time, one whole line after another. `tail` holds the bytes
    // from `at` up to the lines already looked at.
    std::string tail;
    long long at = size;
    bool cut = true;  // the very last bytes may be a line that a crash cut short
    for (;;) {
        const size_t last =
            tail.size() >= 2 ? tail.rfind('\n', tail.size() - 2) : std::string::npos;
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
        const long long take = std::min(at, 4096LL);
        std::string block(static_cast<size_t>(take), '\0');
        if (!ReadAt(fd.Get(), at - take, block.data(), block.size())) {
            l.error = SystemError(errno, l.path);
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
                l.inUse = !TryLock(fd.Get(), false);
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
    const long long monthAgo = static_cast<long long>(time(nullptr)) - 30LL * 24 * 3600;
    int kept = 0;
    for (const JournalListing& l : ListJournals()) {
        ++kept;
        if (l.error || l.inUse || l.Interrupted() || l.UndoIncomplete())
            continue;  // never removed on our own: the user decides
        const long long changed = ModifiedSeconds(l.path);
        if (kept > 50 || (changed >= 0 && changed < monthAgo)) {
            RemoveFile(KeptPathOf(l.path));
            RemoveFile(l.path);
        }
    }
}

Error ForgetJournal(const std::string& path) {
    RunJournal j;
    UniqueFd fd;
    Error error = OpenTrustedJournal(path, false, fd);
    if (!error && !TryLock(fd.Get(), true))
        error = errno == EWOULDBLOCK ? KindError(kErrUndoRunning, path) : SystemError(errno, path);
    if (!error && (error = ParseFrom(fd.Get(), j)))
        error.path = path;
    // The kept contents go first: a journal never points at contents that are gone unless
    // it is going too.
    if (!error && !RemoveFile(KeptPathOf(path)) && errno != ENOENT)
        error = SystemError(errno, KeptPathOf(path));
    if (!error && !RemoveFile(path))
        error = SystemError(errno, path);
    return error;
}

}  // namespace corvelle
