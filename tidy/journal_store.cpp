// SPDX-License-Identifier: GPL-3.0-or-later
#include "tidy/journal_store.h"

#include <fcntl.h>
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

std::string ReadAll(int fd) {
    std::string out;
    char buf[65536];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

}  // namespace

std::string JournalFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == kSep)
        return AddBackslash(state) + "corvelle/journal";
    return AddBackslash(WindowsDirGet()) + ".local/state/corvelle/journal";
}

Error JournalFile::Create(const RunJournal& plan) {
    const std::string folder = JournalFolder();
    if (!MakeFolders(folder) || !(dir_ = OpenFolderPath(folder)).Valid())
        return SystemError(errno, folder);
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
    if (!fd_.Valid() || !WriteAll(fd_.Get(), text.data(), text.size()) ||
        fdatasync(fd_.Get()) != 0 || fsync(dir_.Get()) != 0) {
        Error error = SystemError(errno, path_.empty() ? folder : path_);
        if (!path_.empty())
            unlink(path_.c_str());
        fd_.Reset();
        return error;
    }
    return {};
}

Error JournalFile::Open(const std::string& path) {
    fd_.Reset(open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW));
    if (!fd_.Valid())
        return SystemError(errno, path);
    path_ = path;
    return {};
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
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.Valid())
        return SystemError(errno, path);
    Error error = ParseJournal(ReadAll(fd.Get()), j);
    error.path = path;
    return error;
}

namespace {

// The first lines and the last line of a journal, without reading what lies between.
void Peek(JournalListing& l) {
    const UniqueFd fd(open(l.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat st;
    if (!fd.Valid() || fstat(fd.Get(), &st) != 0) {
        l.error = SystemError(errno, l.path);
        return;
    }
    std::string head(static_cast<size_t>(std::min<off_t>(st.st_size, off_t{64} * 1024)), '\0');
    const size_t tailSize = static_cast<size_t>(std::min<off_t>(st.st_size, 512));
    std::string tail(tailSize, '\0');
    if (pread(fd.Get(), head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()) ||
        pread(fd.Get(), tail.data(), tail.size(), st.st_size - static_cast<off_t>(tailSize)) !=
            static_cast<ssize_t>(tailSize)) {
        l.error = SystemError(errno ? errno : EIO, l.path);
        return;
    }
    if ((l.error = ParseJournalHeader(head, l.journal))) {
        l.error.path = l.path;
        return;
    }
    // The last whole line says how far the run got.
    if (!tail.empty() && tail.back() == '\n')
        tail.pop_back();
    else if (const size_t nl = tail.rfind('\n'); nl != std::string::npos)
        tail.resize(nl);
    const std::string last = tail.substr(tail.rfind('\n') + 1);
    l.journal.undone = last == "undone";
    l.journal.finished = last == "end";
    l.undoBegun = last.rfind("undo ", 0) == 0;
}

}  // namespace

std::vector<JournalListing> ListJournals(bool whole) {
    std::vector<JournalListing> out;
    const std::string folder = JournalFolder();
    const UniqueFd dir = OpenFolderPath(folder);
    std::vector<std::string> names;
    int err = 0;
    if (!dir.Valid() || !ReadNames(dir.Get(), names, err))
        return out;
    const std::string suffix = kSuffix;
    for (const std::string& n : names) {
        if (n.size() <= suffix.size() || n.compare(n.size() - suffix.size(), suffix.size(), suffix))
            continue;
        JournalListing l;
        l.path = AddBackslash(folder) + n;
        if (whole) {
            if (!(l.error = LoadJournal(l.path, l.journal)))
                l.rows = static_cast<long>(l.journal.rows.size());
            l.undoBegun = !l.journal.undo.empty();
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
        if (l.error || l.Interrupted())
            continue;  // never removed on our own: the user decides
        struct stat st;
        if (kept > 50 || (stat(l.path.c_str(), &st) == 0 && st.st_mtime < monthAgo))
            unlink(l.path.c_str());
    }
}

}  // namespace corvelle
